// cendrix-screenshots: renders every window of the desktop program, as the
// program shows it on the demo machine, into PNG files for the README.
//
//   QT_QPA_PLATFORM=offscreen cendrix-screenshots docs/screenshots
//
// It runs the real start-up (in debug mode, so that the debug window takes
// part), clicks the S.M.A.R.T. and format buttons as a user would, answers
// each modal window after rendering it, and frames each
// picture with a plain title bar carrying the window's own caption, since
// the platform it renders on draws no window decorations.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFontDatabase>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <functional>
#include <memory>

#include "platform/sim/demo_machine.h"
#include "platform/sim/sim_storage.h"
#include "shell/project_links.h"
#include "shell/windows/desktop_program.h"
#include "shell/windows/dialogs.h"

namespace {

using namespace cendrix;
using namespace cendrix::windows;

// A clock whose date and time stand at one moment and whose milliseconds
// advance by a fixed step per reading, so that the pictures (the speed of
// the wipe among them) do not change from one rendering to the next.
class PinnedClock final : public Clock {
public:
    QDateTime LocalNow() override { return QDateTime(QDate(2026, 3, 14), QTime(10, 24, 37)); }
    std::int64_t NowMs() override { return ms_ += 2; }
    void Sleep(std::int64_t) override {}

private:
    std::int64_t ms_ = 0;
};

class NoLauncher final : public Launcher {
public:
    void OpenUrl(const QUrl&) override {}
    void StartProgram(const ExternalCommand&) override {}
};

QString g_outFolder;
int g_failures = 0;

QImage Framed(QWidget* window) {
    const QPixmap content = window->grab();
    const int titleHeight = 30;
    QImage image(content.width() + 2, content.height() + titleHeight + 1, QImage::Format_ARGB32);
    image.fill(QColor(0x70, 0x70, 0x70));
    QPainter painter(&image);
    painter.fillRect(1, 1, content.width(), titleHeight - 1, QColor(0xf3, 0xf3, 0xf3));
    QFont titleFont = window->font();
    titleFont.setPointSizeF(10);
    painter.setFont(titleFont);
    painter.setPen(Qt::black);
    painter.drawText(QRect(12, 1, content.width() - 80, titleHeight - 1), Qt::AlignVCenter | Qt::AlignLeft,
                     window->windowTitle());
    // A close box, drawn as the desktop would.
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.2));
    const int cx = content.width() - 22, cy = titleHeight / 2;
    painter.drawLine(cx - 5, cy - 5, cx + 5, cy + 5);
    painter.drawLine(cx - 5, cy + 5, cx + 5, cy - 5);
    painter.drawPixmap(1, titleHeight, content);
    return image;
}

void Save(QWidget* window, const QString& name) {
    const QString path = g_outFolder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!Framed(window).save(path)) {
        std::fprintf(stderr, "cendrix-screenshots: cannot write %s\n", qPrintable(path));
        ++g_failures;
        return;
    }
    std::printf("%s\n", qPrintable(path));
}

// Waits for each modal window in turn and acts on it.
struct ModalStep {
    QString objectName;
    std::function<void(QWidget*)> act;
};

void RunModalSteps(std::vector<ModalStep> steps) {
    auto remaining = std::make_shared<std::vector<ModalStep>>(std::move(steps));
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [remaining, poll] {
        if (remaining->empty()) return;
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->objectName() == remaining->front().objectName) {
            ModalStep step = remaining->front();
            remaining->erase(remaining->begin());
            QTimer::singleShot(20, *poll);
            step.act(modal);
            return;
        }
        QTimer::singleShot(20, *poll);
    };
    QTimer::singleShot(20, *poll);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: cendrix-screenshots OUTPUT-FOLDER\n");
        return 2;
    }
    g_outFolder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(g_outFolder)) {
        std::fprintf(stderr, "cendrix-screenshots: cannot create %s\n", argv[1]);
        return 2;
    }
    if (QFontDatabase::families(QFontDatabase::SimplifiedChinese).isEmpty()) {
        std::fprintf(stderr,
                     "cendrix-screenshots: no font with Chinese glyphs is installed "
                     "(Debian: fonts-wqy-microhei); the texts would show as boxes\n");
        return 2;
    }

    QTemporaryDir images;
    platform::sim::Machine demo = platform::sim::DemoMachine(images.path().toStdString());
    const std::string problem = platform::sim::PrepareImages(demo);
    if (!problem.empty()) {
        std::fprintf(stderr, "cendrix-screenshots: %s\n", problem.c_str());
        return 2;
    }
    platform::sim::SimStorage storage(std::move(demo));
    PinnedClock clock;
    NoLauncher launcher;
    bool ended = false;
    auto makeProgram = [&](const QStringList& arguments) {
        return std::make_unique<DesktopProgram>(DesktopInputs{
            storage,
            clock,
            launcher,
            [&ended](int) { ended = true; },
            {arguments, QStringLiteral("/usr/local/bin/cendrix"), CurrentPlatformInfo()},
            [](const QString&) { return QString(); },
            // Regional settings of a user of the program's language.
            QLocale(QLocale::Chinese, QLocale::China),
        });
    };
    auto waitForStartUp = [&ended](DesktopProgram& program) {
        while (!program.Outcome() && !ended) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    };

    // Debug mode for the debug window; the user leaves at the chooser.
    {
        auto debugRun = makeProgram({QStringLiteral("--调试")});
        RunModalSteps({
            {QStringLiteral("TFmDebug"),
             [&debugRun](QWidget* debug) {
                 // The start of the log: the switch, the program and platform lines.
                 debugRun->Debug().Memo1->moveCursor(QTextCursor::Start);
                 Save(debug, QStringLiteral("debug-window"));
                 debug->close();
             }},
            {QStringLiteral("TFmChoose"), [](QWidget* chooser) { chooser->close(); }},
        });
        debugRun->Start();
        waitForStartUp(*debugRun);
        debugRun->Main().hide();
        ended = false;
    }

    auto program = makeProgram({});
    RunModalSteps({
        {QStringLiteral("TFmChoose"),
         [&program](QWidget* chooser) {
             Save(chooser, QStringLiteral("chooser"));
             // Choose the SATA disk, whose reports are the richest.
             QTreeWidget* list = program->Chooser().DriveList;
             list->setCurrentItem(list->topLevelItem(0));
             program->Chooser().btContinue->click();
         }},
    });
    program->Start();
    waitForStartUp(*program);
    if (ended || program->Outcome() != StartUpOutcome::Ready) {
        std::fprintf(stderr, "cendrix-screenshots: the start-up did not reach the main window\n");
        return 1;
    }

    TFmMain& main = program->Main();
    auto showPage = [&main](int page) {
        main.pages->setCurrentIndex(page);
        QCoreApplication::processEvents();
    };

    // The details report, as the start-up left it, from its first line.
    showPage(0);
    main.Log_Details->moveCursor(QTextCursor::Start);
    Save(&main, QStringLiteral("main-details"));

    // One S.M.A.R.T. report, asked for by the button.
    showPage(2);
    main.btGetSmart->click();
    main.Log_Smart->moveCursor(QTextCursor::Start);
    QCoreApplication::processEvents();
    Save(&main, QStringLiteral("main-smart"));

    // A quick wipe started by the format button: the question first, then
    // the page half-way through the run, with its bar, labels and Stop.
    showPage(1);
    main.cbQuickWipe->setChecked(true);
    RunModalSteps({{QStringLiteral("TaskMessage"), [](QWidget* dialog) {
                        Save(dialog, QStringLiteral("format-confirmation"));
                        dialog->findChild<QPushButton*>(QStringLiteral("button%1").arg(kTaskResultYes))->click();
                    }}});
    bool formatShown = false;
    QTimer midRun;
    midRun.setInterval(0);
    QObject::connect(&midRun, &QTimer::timeout, [&] {
        if (main.pbCurrentTask->value() < 60 || !main.btStop->isEnabled()) return;
        midRun.stop();
        formatShown = true;
        Save(&main, QStringLiteral("main-format"));
    });
    midRun.start();
    main.btRunBenchmarks->click();
    if (!formatShown) {
        std::fprintf(stderr, "cendrix-screenshots: the format run was not caught half-way\n");
        ++g_failures;
    }
    return g_failures == 0 ? 0 : 1;
}
