// The desktop program's rights on Linux. A Windows program that erases disks
// asks for the administrator's rights as it starts; here a user who may
// open no disk gets them the same way: the program restarts itself through
// pkexec, before any window exists, and the restarted program runs as root.
//
// pkexec starts its program with a minimal environment, so the variables
// the program needs (the display, the machine's choice, the locale) travel
// as arguments behind a marker, after the user's own arguments, so that
// "--调试" stays the first. The restarted program takes them back and drops
// them from its command line; the marker also keeps it from restarting
// again. Without pkexec the program goes on without the rights, and its
// debug log says why no disk could be opened.
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace cendrix {

// The argument behind which a restarted program finds its environment, as
// NAME=VALUE arguments.
inline const QString kElevatedMarker = QStringLiteral("--cendrix-elevated");

// The variables a restarted program gets back, in this order: those of the
// display, the machine's choice, and the locale. No other variable is taken
// from the command line.
const QStringList& CarriedVariables();

// What opening the disks for reading showed.
struct DiskAccess {
    int opened = 0;   // disks that opened
    int refused = 0;  // disks that are there but refused (rights, not absence)
    QString refusal;  // the first refusal: the disk's path and the system's text
};

// What the decision asks of the machine; tests answer for it.
struct ElevationProbes {
    std::function<bool()> isRoot;
    std::function<DiskAccess()> diskAccess;
    std::function<QString()> findPkexec;  // its path; empty when not installed
    // Runs `program` with `arguments` and waits for it: its exit status (128
    // plus the signal when a signal ended it), or nullopt when it could not
    // be started.
    std::function<std::optional<int>(const QString& program, const QStringList& arguments)> run;
};

// A command line split at the marker.
struct CarriedCommandLine {
    QStringList arguments;  // the user's arguments, before the marker
    std::vector<std::pair<QString, QString>> variables;  // carried ones only, in their order
    bool restarted = false;  // the marker was there
};

CarriedCommandLine TakeCarriedEnvironment(const QStringList& arguments);

struct ElevationInputs {
    QStringList arguments;  // the user's arguments (after TakeCarriedEnvironment)
    bool restarted = false;
    QString programPath;    // the running program, absolute
    QProcessEnvironment environment;
};

struct ElevationPlan {
    bool restart = false;
    QString program;          // pkexec, when restarting
    QStringList arguments;    // the program path, the user's arguments, the marker, the variables
    QString debugNote;        // when going on without a disk to open: why
};

// Restart only when the program works on the real disks (no simulated
// machine is chosen), is not root, was not restarted already, and no disk
// there opens for reading although some are there; and only through pkexec.
ElevationPlan PlanElevation(const ElevationInputs& inputs, const ElevationProbes& probes);

struct ElevationOutcome {
    std::optional<int> exitStatus;  // set: end with it, the restarted program has run
    QString debugNote;              // else: a line for the debug log, or empty
};

// Plans and, when it says so, runs the restart. The restarted program's
// status is the program's; a user who dismissed the authentication ends it
// too (126, as pkexec says). When pkexec could not be started or refused
// (127), the program goes on and the note says why.
ElevationOutcome Elevate(const ElevationInputs& inputs, const ElevationProbes& probes);

// The whole step at the very start of main(), before the application object
// exists: takes back carried variables (setting them in the environment and
// cutting the marker and what follows from argc/argv), then Elevate with the
// probes of this machine. Does nothing where the platform has no pkexec.
ElevationOutcome ElevateIfNeeded(int& argc, char** argv);

}  // namespace cendrix
