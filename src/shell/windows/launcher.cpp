#include "shell/windows/launcher.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QProcess>

namespace cendrix::windows {

void DesktopLauncher::OpenUrl(const QUrl& url) { QDesktopServices::openUrl(url); }

void DesktopLauncher::StartProgram(const ExternalCommand& command) {
    if (!command.Found()) return;
    QProcess::startDetached(command.program, command.arguments);
}

void QuitApplication(int exitCode) { QCoreApplication::exit(exitCode); }

}  // namespace cendrix::windows
