// What the windows ask of the desktop beyond themselves: opening a web page,
// starting another program, and ending this one. Injected so that tests see
// what was asked while nothing is started and the test program lives on.
#pragma once

#include <QUrl>
#include <functional>

#include "shell/disk_utility.h"

namespace cendrix::windows {

class Launcher {
public:
    virtual ~Launcher() = default;
    // Opens a page in the user's default browser; the outcome is not examined.
    virtual void OpenUrl(const QUrl& url) = 0;
    // Starts a program detached from this one; the outcome is not examined.
    virtual void StartProgram(const ExternalCommand& command) = 0;
};

class DesktopLauncher final : public Launcher {
public:
    void OpenUrl(const QUrl& url) override;
    void StartProgram(const ExternalCommand& command) override;
};

// Ends the program with an exit status. The desktop leaves every event loop
// (modal ones included) and returns from main, so windows and handles are
// closed on the way out.
using ProgramEnd = std::function<void(int exitCode)>;

void QuitApplication(int exitCode);

// The program's exit statuses.
inline constexpr int kExitNormal = 0;  // the user ended it
inline constexpr int kExitFatal = 1;   // an error box ended it

}  // namespace cendrix::windows
