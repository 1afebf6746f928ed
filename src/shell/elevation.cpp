#include "shell/elevation.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <memory>
#include <string>

#include "discovery/enumeration.h"
#include "platform/real_storage.h"
#include "platform/unique_handle.h"
#include "platform/win32_errors.h"

#if defined(Q_OS_LINUX)
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace cendrix {

namespace {

const QString kMachineVariable = QStringLiteral("CENDRIX_MACHINE");

// The start of every note: which disk refused, and the system's words.
QString NoDiskNote(const DiskAccess& access, const QString& why) {
    return QStringLiteral("无法打开任何磁盘 (") + access.refusal + QStringLiteral("): ") + why;
}

// NAME=VALUE for each carried variable that is set. Without XAUTHORITY the
// X server's cookie is in the user's home, which is not root's.
QStringList CarriedAssignments(const QProcessEnvironment& environment) {
    QStringList assignments;
    for (const QString& name : CarriedVariables()) {
        if (environment.contains(name)) {
            assignments << name + QLatin1Char('=') + environment.value(name);
        } else if (name == QLatin1String("XAUTHORITY") && environment.contains(QStringLiteral("DISPLAY")) &&
                   !environment.value(QStringLiteral("HOME")).isEmpty()) {
            assignments << name + QLatin1Char('=') + environment.value(QStringLiteral("HOME")) +
                               QStringLiteral("/.Xauthority");
        }
    }
    return assignments;
}

}  // namespace

const QStringList& CarriedVariables() {
    static const QStringList names = {
        QStringLiteral("DISPLAY"),         QStringLiteral("XAUTHORITY"),       QStringLiteral("WAYLAND_DISPLAY"),
        QStringLiteral("XDG_RUNTIME_DIR"), QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("QT_QPA_PLATFORM"),
        QStringLiteral("CENDRIX_MACHINE"), QStringLiteral("CENDRIX_ALLOW_DISKS"), QStringLiteral("LANG"),
        QStringLiteral("LANGUAGE"),        QStringLiteral("LC_ALL"),           QStringLiteral("LC_CTYPE"),
        QStringLiteral("LC_NUMERIC"),      QStringLiteral("LC_TIME"),          QStringLiteral("LC_COLLATE"),
        QStringLiteral("LC_MONETARY"),     QStringLiteral("LC_MESSAGES"),      QStringLiteral("LC_PAPER"),
        QStringLiteral("LC_NAME"),         QStringLiteral("LC_ADDRESS"),       QStringLiteral("LC_TELEPHONE"),
        QStringLiteral("LC_MEASUREMENT"),  QStringLiteral("LC_IDENTIFICATION"),
    };
    return names;
}

CarriedCommandLine TakeCarriedEnvironment(const QStringList& arguments) {
    CarriedCommandLine line;
    const qsizetype marker = arguments.indexOf(kElevatedMarker);
    line.restarted = marker >= 0;
    line.arguments = line.restarted ? arguments.first(marker) : arguments;
    if (!line.restarted) return line;
    for (const QString& assignment : arguments.sliced(marker + 1)) {
        const qsizetype equals = assignment.indexOf(QLatin1Char('='));
        if (equals <= 0) continue;
        const QString name = assignment.left(equals);
        // Only what a restart carries: the restarted program runs as root.
        if (CarriedVariables().contains(name)) line.variables.emplace_back(name, assignment.mid(equals + 1));
    }
    return line;
}

ElevationPlan PlanElevation(const ElevationInputs& inputs, const ElevationProbes& probes) {
    ElevationPlan plan;
    // A simulated machine needs no rights; neither does root.
    if (!inputs.environment.value(kMachineVariable).isEmpty() || probes.isRoot()) return plan;
    const DiskAccess access = probes.diskAccess();
    // Some disk opens, or there is no disk that rights would open.
    if (access.opened > 0 || access.refused == 0) return plan;
    if (inputs.restarted) {
        plan.debugNote = NoDiskNote(access, QStringLiteral("通过 pkexec 重新启动后仍没有权限"));
        return plan;
    }
    const QString pkexec = probes.findPkexec();
    if (pkexec.isEmpty() || inputs.programPath.isEmpty()) {
        plan.debugNote = NoDiskNote(access, QStringLiteral("程序没有 root 权限, 也找不到 pkexec"));
        return plan;
    }
    plan.restart = true;
    plan.program = pkexec;
    plan.arguments << inputs.programPath << inputs.arguments << kElevatedMarker
                   << CarriedAssignments(inputs.environment);
    // Kept for the case the restart does not happen after all.
    plan.debugNote = NoDiskNote(access, QString());
    return plan;
}

ElevationOutcome Elevate(const ElevationInputs& inputs, const ElevationProbes& probes) {
    ElevationOutcome outcome;
    const ElevationPlan plan = PlanElevation(inputs, probes);
    if (!plan.restart) {
        outcome.debugNote = plan.debugNote;
        return outcome;
    }
    constexpr int kNotAuthorized = 127;  // pkexec: refused, failed, or no agent to ask
    const std::optional<int> status = probes.run(plan.program, plan.arguments);
    if (!status) {
        outcome.debugNote = plan.debugNote + QStringLiteral("pkexec 无法启动");
    } else if (*status == kNotAuthorized) {
        outcome.debugNote = plan.debugNote + QStringLiteral("pkexec 未能取得权限 (状态 127)");
    } else {
        outcome.exitStatus = *status;
    }
    return outcome;
}

#if defined(Q_OS_LINUX)

namespace {

DiskAccess RealDiskAccess() {
    DiskAccess access;
    std::string error;
    const std::unique_ptr<platform::StorageApi> storage = platform::MakeRealStorage(&error);
    if (!storage) return access;
    // The enumeration's own open, over the numbers it walks.
    for (unsigned n = 0; n <= 255 && access.opened == 0; ++n) {
        const QString path = PhysicalDrivePath(n);
        platform::UniqueHandle disk(
            *storage, storage->CreateFileW(path.toStdU16String(), platform::GENERIC_READ,
                                           platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE,
                                           platform::OPEN_EXISTING, 0));
        if (disk) {
            ++access.opened;
            continue;
        }
        const std::uint32_t code = storage->GetLastError();
        if (code == platform::ERROR_FILE_NOT_FOUND) continue;  // no disk of that number
        if (access.refused++ == 0) {
            access.refusal = path + QStringLiteral(": ") + QString::fromStdU16String(storage->FormatMessageW(code));
        }
    }
    return access;
}

std::optional<int> RunAndWait(const QString& program, const QStringList& arguments) {
    std::vector<QByteArray> bytes;
    bytes.push_back(program.toLocal8Bit());
    for (const QString& argument : arguments) bytes.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& b : bytes) argv.push_back(b.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (::posix_spawn(&child, bytes.front().constData(), nullptr, nullptr, argv.data(), environ) != 0) {
        return std::nullopt;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return std::nullopt;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}

}  // namespace

ElevationOutcome ElevateIfNeeded(int& argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const CarriedCommandLine line = TakeCarriedEnvironment(arguments);
    if (line.restarted) {
        for (const auto& [name, value] : line.variables) qputenv(name.toLocal8Bit().constData(), value.toLocal8Bit());
        // The application sees the user's arguments only.
        argc = 1 + static_cast<int>(line.arguments.size());
        argv[argc] = nullptr;
    }
    ElevationInputs inputs;
    inputs.arguments = line.arguments;
    inputs.restarted = line.restarted;
    inputs.programPath = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    inputs.environment = QProcessEnvironment::systemEnvironment();
    const ElevationProbes probes{
        [] { return ::geteuid() == 0; },
        RealDiskAccess,
        [] { return QStandardPaths::findExecutable(QStringLiteral("pkexec")); },
        RunAndWait,
    };
    return Elevate(inputs, probes);
}

#else

ElevationOutcome ElevateIfNeeded(int&, char**) { return {}; }

#endif

}  // namespace cendrix
