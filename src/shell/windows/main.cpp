// cendrix: the desktop program.
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QStandardPaths>

#include "platform/backend_choice.h"
#include "shell/elevation.h"
#include "shell/platform_info.h"
#include "shell/project_links.h"
#include "shell/windows/desktop_program.h"

int main(int argc, char** argv) {
    // Before any window: a user who may open no disk gets the rights through
    // pkexec, and a restarted program takes back its environment.
    const cendrix::ElevationOutcome elevation = cendrix::ElevateIfNeeded(argc, argv);
    if (elevation.exitStatus) return *elevation.exitStatus;
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(cendrix::kProductName);

    // The machine is chosen by CENDRIX_MACHINE (a manifest or "demo"); the
    // command line keeps only the debug switch.
    cendrix::platform::BackendChoice backend = cendrix::platform::ChooseBackend(QString());
    if (!backend.storage) {
        QMessageBox::critical(nullptr, cendrix::kProductName, backend.error);
        return cendrix::windows::kExitFatal;
    }

    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty()) arguments.removeFirst();

    cendrix::SystemClock clock;
    cendrix::windows::DesktopLauncher launcher;
    cendrix::windows::DesktopProgram program({
        *backend.storage,
        clock,
        launcher,
        cendrix::windows::QuitApplication,
        {arguments, QDir::toNativeSeparators(QCoreApplication::applicationFilePath()),
         cendrix::CurrentPlatformInfo(), elevation.debugNote},
        [](const QString& name) { return QStandardPaths::findExecutable(name); },
    });
    program.Start();
    return app.exec();
}
