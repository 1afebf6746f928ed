// The restart through pkexec: when it happens, the command line and the
// environment it carries, the restarted program's side, and what the
// status of the restart means.
#include <gtest/gtest.h>

#include "shell/elevation.h"

namespace cendrix::testing {
namespace {

const QString kProgram = QStringLiteral("/opt/cendrix/bin/cendrix");
const QString kPkexec = QStringLiteral("/usr/bin/pkexec");
const QString kRefusal = QStringLiteral("\\\\.\\PhysicalDrive0: Permission denied");

// A machine whose answers a test sets, counting the questions.
struct FakeMachine {
    bool root = false;
    DiskAccess access{0, 2, kRefusal};
    QString pkexec = kPkexec;
    std::optional<int> status = 0;
    int diskProbes = 0;
    int runs = 0;
    QString ranProgram;
    QStringList ranArguments;

    ElevationProbes Probes() {
        return {
            [this] { return root; },
            [this] {
                ++diskProbes;
                return access;
            },
            [this] { return pkexec; },
            [this](const QString& program, const QStringList& arguments) {
                ++runs;
                ranProgram = program;
                ranArguments = arguments;
                return status;
            },
        };
    }
};

QProcessEnvironment Environment(const std::vector<std::pair<QString, QString>>& variables) {
    QProcessEnvironment env;
    for (const auto& [name, value] : variables) env.insert(name, value);
    return env;
}

ElevationInputs Inputs(const QStringList& arguments = {}, const QProcessEnvironment& env = {}) {
    ElevationInputs inputs;
    inputs.arguments = arguments;
    inputs.programPath = kProgram;
    inputs.environment = env;
    return inputs;
}

TEST(Elevation, RestartsOnlyWhenDisksAreThereButNoneOpens) {
    const struct Case {
        const char* name;
        bool root;
        DiskAccess access;
        QString pkexec;
        bool restarted;
        QString machine;
        bool restart;
        QString note;  // the end of the debug note; empty: no note
    } cases[] = {
        {"refused, pkexec there", false, {0, 1, kRefusal}, kPkexec, false, {}, true, {}},
        {"root", true, {0, 1, kRefusal}, kPkexec, false, {}, false, {}},
        {"a disk opens", false, {1, 3, kRefusal}, kPkexec, false, {}, false, {}},
        {"no disk at all", false, {0, 0, {}}, kPkexec, false, {}, false, {}},
        {"demo machine", false, {0, 1, kRefusal}, kPkexec, false, QStringLiteral("demo"), false, {}},
        {"manifest", false, {0, 1, kRefusal}, kPkexec, false, QStringLiteral("/m.json"), false, {}},
        {"empty machine variable means real disks", false, {0, 1, kRefusal}, kPkexec, false, QString(""), true, {}},
        {"no pkexec", false, {0, 1, kRefusal}, QString(), false, {}, false,
         QStringLiteral("程序没有 root 权限, 也找不到 pkexec")},
        {"restarted already", false, {0, 1, kRefusal}, kPkexec, true, {}, false,
         QStringLiteral("通过 pkexec 重新启动后仍没有权限")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeMachine machine;
        machine.root = c.root;
        machine.access = c.access;
        machine.pkexec = c.pkexec;
        QProcessEnvironment env;
        if (!c.machine.isNull()) env.insert(QStringLiteral("CENDRIX_MACHINE"), c.machine);
        ElevationInputs inputs = Inputs({}, env);
        inputs.restarted = c.restarted;
        const ElevationPlan plan = PlanElevation(inputs, machine.Probes());
        EXPECT_EQ(plan.restart, c.restart);
        if (!c.restart) {
            if (c.note.isEmpty()) {
                EXPECT_TRUE(plan.debugNote.isEmpty()) << plan.debugNote.toStdString();
            } else {
                EXPECT_EQ(plan.debugNote, QStringLiteral("无法打开任何磁盘 (") + kRefusal + QStringLiteral("): ") + c.note);
            }
        }
        // A simulated machine or root: the disks are not even tried.
        if (!c.machine.isEmpty() || c.root) {
            EXPECT_EQ(machine.diskProbes, 0);
        }
    }
}

// pkexec runs the program itself (so that the policy for its path applies),
// with the user's arguments first and the environment behind the marker;
// nothing but the carried variables goes along.
TEST(Elevation, TheRestartCarriesTheArgumentsAndTheDisplaysEnvironment) {
    FakeMachine machine;
    const QProcessEnvironment env = Environment({
        {QStringLiteral("PATH"), QStringLiteral("/usr/bin")},
        {QStringLiteral("LD_PRELOAD"), QStringLiteral("/tmp/evil.so")},
        {QStringLiteral("LANG"), QStringLiteral("zh_CN.UTF-8")},
        {QStringLiteral("LC_TIME"), QStringLiteral("en_GB.UTF-8")},
        {QStringLiteral("CENDRIX_ALLOW_DISKS"), QString()},  // set but empty: no disk at all
        {QStringLiteral("XDG_RUNTIME_DIR"), QStringLiteral("/run/user/1000")},
        {QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-0")},
        {QStringLiteral("XAUTHORITY"), QStringLiteral("/run/user/1000/.mutter-Xwaylandauth")},
        {QStringLiteral("DISPLAY"), QStringLiteral(":0")},
    });
    const ElevationPlan plan =
        PlanElevation(Inputs({QStringLiteral("--调试"), QStringLiteral("two words")}, env), machine.Probes());
    ASSERT_TRUE(plan.restart);
    EXPECT_EQ(plan.program, kPkexec);
    EXPECT_EQ(plan.arguments, (QStringList{kProgram, QStringLiteral("--调试"), QStringLiteral("two words"),
                                           kElevatedMarker, QStringLiteral("DISPLAY=:0"),
                                           QStringLiteral("XAUTHORITY=/run/user/1000/.mutter-Xwaylandauth"),
                                           QStringLiteral("WAYLAND_DISPLAY=wayland-0"),
                                           QStringLiteral("XDG_RUNTIME_DIR=/run/user/1000"),
                                           QStringLiteral("CENDRIX_ALLOW_DISKS="), QStringLiteral("LANG=zh_CN.UTF-8"),
                                           QStringLiteral("LC_TIME=en_GB.UTF-8")}));
}

TEST(Elevation, WithoutXauthorityTheCookieOfTheUsersHomeGoesAlong) {
    FakeMachine machine;
    const auto home = std::make_pair(QStringLiteral("HOME"), QStringLiteral("/home/ann"));
    const ElevationPlan x11 = PlanElevation(
        Inputs({}, Environment({home, {QStringLiteral("DISPLAY"), QStringLiteral(":1")}})), machine.Probes());
    EXPECT_EQ(x11.arguments, (QStringList{kProgram, kElevatedMarker, QStringLiteral("DISPLAY=:1"),
                                          QStringLiteral("XAUTHORITY=/home/ann/.Xauthority")}));
    // Without an X display there is no cookie to find.
    const ElevationPlan wayland = PlanElevation(
        Inputs({}, Environment({home, {QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-1")}})),
        machine.Probes());
    EXPECT_EQ(wayland.arguments, (QStringList{kProgram, kElevatedMarker, QStringLiteral("WAYLAND_DISPLAY=wayland-1")}));
}

// The restarted program's side: what the restart built comes back as the
// user's arguments and the carried variables, and nothing else.
TEST(Elevation, TheRestartedProgramTakesBackItsArgumentsAndOnlyCarriedVariables) {
    const CarriedCommandLine line = TakeCarriedEnvironment(
        {QStringLiteral("--调试"), QStringLiteral("x"), kElevatedMarker, QStringLiteral("DISPLAY=:0"),
         QStringLiteral("LD_PRELOAD=/tmp/evil.so"), QStringLiteral("CENDRIX_ALLOW_DISKS="), QStringLiteral("=x"),
         QStringLiteral("LANG"), QStringLiteral("LC_ALL=C.UTF-8=odd")});
    EXPECT_TRUE(line.restarted);
    EXPECT_EQ(line.arguments, (QStringList{QStringLiteral("--调试"), QStringLiteral("x")}));
    const std::vector<std::pair<QString, QString>> expected = {
        {QStringLiteral("DISPLAY"), QStringLiteral(":0")},
        {QStringLiteral("CENDRIX_ALLOW_DISKS"), QString()},
        {QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8=odd")},
    };
    EXPECT_EQ(line.variables, expected);

    const CarriedCommandLine plain = TakeCarriedEnvironment({QStringLiteral("--调试"), QStringLiteral("DISPLAY=:9")});
    EXPECT_FALSE(plain.restarted);
    EXPECT_EQ(plain.arguments, (QStringList{QStringLiteral("--调试"), QStringLiteral("DISPLAY=:9")}));
    EXPECT_TRUE(plain.variables.empty());

    // A restart's own command line round-trips.
    FakeMachine machine;
    const ElevationPlan plan = PlanElevation(
        Inputs({QStringLiteral("--调试")}, Environment({{QStringLiteral("DISPLAY"), QStringLiteral(":0")}})),
        machine.Probes());
    const CarriedCommandLine back = TakeCarriedEnvironment(plan.arguments.sliced(1));
    EXPECT_TRUE(back.restarted);
    EXPECT_EQ(back.arguments, QStringList{QStringLiteral("--调试")});
    ASSERT_EQ(back.variables.size(), 1u);
    EXPECT_EQ(back.variables[0].first, QStringLiteral("DISPLAY"));
}

TEST(Elevation, TheRestartsStatusEndsTheProgramUnlessPkexecCouldNotGiveTheRights) {
    const QString prefix = QStringLiteral("无法打开任何磁盘 (") + kRefusal + QStringLiteral("): ");
    const struct Case {
        std::optional<int> status;
        std::optional<int> exitStatus;
        QString note;
    } cases[] = {
        {0, 0, {}},    // the restarted program ran and ended well
        {5, 5, {}},    // ... or with its own failure
        {126, 126, {}},  // the user dismissed the authentication
        {128 + 9, 128 + 9, {}},
        {127, std::nullopt, prefix + QStringLiteral("pkexec 未能取得权限 (状态 127)")},
        {std::nullopt, std::nullopt, prefix + QStringLiteral("pkexec 无法启动")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status.value_or(-1));
        FakeMachine machine;
        machine.status = c.status;
        const ElevationOutcome outcome = Elevate(Inputs(), machine.Probes());
        EXPECT_EQ(machine.runs, 1);
        EXPECT_EQ(machine.ranProgram, kPkexec);
        EXPECT_EQ(outcome.exitStatus, c.exitStatus);
        EXPECT_EQ(outcome.debugNote, c.note);
    }
    // Nothing is run where no restart is planned.
    FakeMachine root;
    root.root = true;
    const ElevationOutcome outcome = Elevate(Inputs(), root.Probes());
    EXPECT_EQ(root.runs, 0);
    EXPECT_FALSE(outcome.exitStatus);
    EXPECT_TRUE(outcome.debugNote.isEmpty());
}

}  // namespace
}  // namespace cendrix::testing
