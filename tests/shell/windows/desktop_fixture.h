// The desktop program on a simulated machine, with recording hooks for the
// things it asks of the desktop (opening pages, starting programs, ending).
#pragma once

#include <QList>
#include <QUrl>
#include <memory>
#include <vector>

#include "modal_script.h"
#include "shell/windows/desktop_program.h"
#include "support/chosen_disk.h"
#include "support/sim_fixture.h"

class QPlainTextEdit;

namespace cendrix::testing {

class RecordingLauncher final : public windows::Launcher {
public:
    void OpenUrl(const QUrl& url) override { urls.append(url); }
    void StartProgram(const ExternalCommand& command) override { started.push_back(command); }
    QList<QUrl> urls;
    std::vector<ExternalCommand> started;
};

// Counts a window's show events and notes how many lines its memo held at
// each one.
class ShowCounter;

class DesktopFixture {
public:
    explicit DesktopFixture(sim::Machine machine, QStringList arguments = {});

    // Ends the program as the desktop does (leaving every event loop) as
    // well as recording the request.
    bool quitForReal = false;
    ~DesktopFixture();

    // Shows the main window and waits until its first showing has run to the
    // end; false when it did not within ten seconds.
    bool RunStartUp();
    // Runs the start-up and accepts the disk the chooser preselects (the
    // last one); true when the main window is ready.
    bool StartWithLastDisk();

    windows::DesktopProgram& Program() { return *program; }
    AppState& State() { return program->State(); }
    sim::SimStorage& Storage() { return world.Storage(); }

    // Exclusive (read/write, unshared) opens the machine received.
    int ExclusiveOpens();

    SimWorld world;
    // Runs on every control request the program sends, before the machine
    // answers it: a test looks at the windows from inside a report or a run.
    std::function<void(std::uint32_t code)> onControl;
    // The program's storage: the machine, seen through onControl.
    InterceptingStorage storage{world.Storage(), [this](std::uint32_t code, const std::uint8_t*, std::uint32_t) {
                                    if (onControl) onControl(code);
                                    return false;
                                }};
    RecordingLauncher launcher;
    QList<int> ends;  // exit statuses the program asked to end with
    ModalScript script;
    std::unique_ptr<windows::DesktopProgram> program;
    // Show events of the debug window and of the chooser, with the number of
    // lines in the debug memo at each.
    QList<int> debugShows;
    int chooserShows = 0;

private:
    std::unique_ptr<ShowCounter> counter_;
};

// A three-disk machine: disk 0 and 2 with volumes, disk 5 last.
sim::Machine ThreeDisks();

// The lines of a memo, and the same lines without the log's timestamp.
QStringList MemoLines(const QPlainTextEdit* memo);
QStringList Unstamped(const QStringList& lines);

}  // namespace cendrix::testing
