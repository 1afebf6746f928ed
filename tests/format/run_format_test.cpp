#include "format/run_format.h"

#include <gtest/gtest.h>

#include "format/wipe_loop.h"
#include "format_fixture.h"
#include "platform/control_codes.h"
#include "shell/app_state.h"

namespace cendrix {
namespace {

using namespace testing;
using sim::Request;

constexpr std::uint8_t kOld = 0x5A;

// Disk 0 (40,000 sectors) carries C: and D:; E: lies on disk 1.
sim::Machine Machine(sim::VolumeAnswer secondLock = sim::VolumeAnswer::Accept) {
    sim::Volume d{"D:", 7, 0, 2};
    d.lock = secondLock;
    return sim::Machine{{MakeDisk(0, 40000), MakeDisk(1, 70000)}, {{"C:", 7, 0, 1}, d, {"E:", 7, 1, 1}}};
}

QStringList Header(const FormatWorld& w) {
    return {QStringLiteral(" "), QString(49, QLatin1Char('=')),
            QStringLiteral("低级格式化:            ") + w.world.state.DiskName,
            QStringLiteral("设备容量:            40,000 扇区"), QStringLiteral("正在锁定设备... ")};
}

void Prepare(FormatWorld& w) {
    w.world.FillImage(0, kOld);
    w.view.onProcessMessages = [&w](int) { Tick(w.world.clock, 10); };
}

// Index of the first request that matches, or -1.
template <typename Match>
long IndexOf(const std::vector<Request>& requests, Match match) {
    for (std::size_t i = 0; i < requests.size(); ++i) {
        if (match(requests[i])) return static_cast<long>(i);
    }
    return -1;
}

TEST(RunFormat, AConfirmedRunLocksWipesRefreshesReleasesAndGivesTheControlsBack) {
    FormatWorld w(Machine());
    Prepare(w);
    w.view.quick = true;
    EXPECT_EQ(RunFormat(w.run), FormatOutcome::Completed);

    ASSERT_EQ(w.view.questions.size(), 1u);
    const auto& q = w.view.questions[0];
    EXPECT_EQ(q.title, QStringLiteral("警告"));
    EXPECT_EQ(q.instruction, QStringLiteral("所选设备上的所有数据都将丢失"));
    EXPECT_EQ(q.content, QStringLiteral("你是否绝对确定要不可逆地销毁此设备上的所有数据?\r\n\r\n") + w.world.state.DiskName);
    EXPECT_TRUE(q.content.endsWith(QStringLiteral("[20.48 MB]    (40000 512-字节扇区)")));
    EXPECT_EQ(q.icon, 84);
    EXPECT_EQ(q.buttons, 0x0A);

    EXPECT_EQ(w.FormatTexts(), (Header(w) + QStringList{QStringLiteral("正在格式化..."),
                                                       QStringLiteral("平均速度:          20.9 MB/s"),
                                                       QStringLiteral("低级格式化完成."), QString(),
                                                       QStringLiteral("请记住创建新分区.")}));
    // The separating line is one blank; the line before the reminder holds the timestamp alone.
    EXPECT_EQ(w.FormatLines()[0], kStamp + QStringLiteral(" "));
    EXPECT_EQ(w.FormatLines()[8], kStamp);
    EXPECT_EQ(w.view.events, (QStringList{"ask", "actions off", "stop on", "focus stop", "bar normal",
                                          "bar paused", "stop off", "actions on"}));
    EXPECT_EQ(w.view.progress, 100);
    EXPECT_TRUE(w.ImageIs(0, kOld, {{0, 10240000}}));

    // The volumes are held over every write, the refresh is asked while they
    // are still held, and the release comes last.
    const std::vector<Request>& all = w.Storage().Requests();
    const auto locks = w.Storage().RequestsOf(Request::Kind::Control, platform::FSCTL_LOCK_VOLUME);
    ASSERT_EQ(locks.size(), 2u);
    const long lastLock = IndexOf(all, [&](const Request& r) {
        return r.kind == Request::Kind::Control && r.handle == locks[1].handle && r.code == platform::FSCTL_LOCK_VOLUME;
    });
    const long firstWrite = IndexOf(all, [](const Request& r) { return r.kind == Request::Kind::Write; });
    long lastWrite = -1;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].kind == Request::Kind::Write) lastWrite = static_cast<long>(i);
    }
    const long refresh = IndexOf(all, [](const Request& r) {
        return r.kind == Request::Kind::Control && r.code == platform::IOCTL_DISK_UPDATE_PROPERTIES;
    });
    const long firstRelease = IndexOf(all, [&](const Request& r) {
        return r.kind == Request::Kind::Close && r.handle == locks[0].handle;
    });
    ASSERT_GE(lastLock, 0);
    EXPECT_LT(lastLock, firstWrite);
    EXPECT_LT(lastWrite, refresh);
    EXPECT_LT(refresh, firstRelease);
    EXPECT_EQ(all[refresh].handle, w.world.state.DeviceHandle.Get());
    EXPECT_EQ(all[firstRelease].handle, locks[0].handle);
    EXPECT_EQ(all[firstRelease + 1].handle, locks[1].handle);
    EXPECT_EQ(all.size(), static_cast<std::size_t>(firstRelease + 2));
    EXPECT_TRUE(w.world.state.LockedVolumeHandles.empty());
    EXPECT_FALSE(w.Storage().VolumeLocked("C:"));
    EXPECT_FALSE(w.Storage().VolumeLocked("D:"));
    EXPECT_EQ(w.Storage().OpenHandleCount(), 1u);  // the disk itself stays open
}

TEST(RunFormat, TheQuickFlagIsTheCheckBoxAtTheClick) {
    FormatWorld w(Machine());
    Prepare(w);
    w.view.quick = false;
    EXPECT_EQ(RunFormat(w.run), FormatOutcome::Completed);
    EXPECT_TRUE(w.ImageIs(0, kOld, {{0, 20480000}}));
}

TEST(RunFormat, AnythingButYesChangesNothing) {
    for (const int answer : {kTaskResultCancel, kTaskNothingShown, kTaskResultNo, kTaskResultClose, kTaskResultOk, kTaskResultRetry}) {
        FormatWorld w(Machine());
        Prepare(w);
        w.view.answer = answer;
        w.view.progress = 42;
        EXPECT_EQ(RunFormat(w.run), FormatOutcome::Declined) << answer;
        EXPECT_TRUE(w.FormatLines().isEmpty()) << answer;
        EXPECT_TRUE(w.Storage().Requests().empty()) << answer;
        EXPECT_EQ(w.view.events, QStringList{"ask"}) << answer;
        EXPECT_EQ(w.view.progress, 42);
        EXPECT_TRUE(w.ImageIs(0, kOld, {})) << answer;
    }
}

TEST(RunFormat, AVolumeThatRefusesItsLockStopsTheRunBeforeAnyWrite) {
    FormatWorld w(Machine(sim::VolumeAnswer::Refuse));
    Prepare(w);
    EXPECT_EQ(RunFormat(w.run), FormatOutcome::LockFailed);
    EXPECT_EQ(w.FormatTexts(), (Header(w) + QStringList{QStringLiteral("无法锁定设备. 请确保您在此设备上没有打开的文件, 然后重试. ")}));
    EXPECT_TRUE(w.Storage().RequestsOf(Request::Kind::Write).empty());
    EXPECT_TRUE(w.Storage().RequestsOf(Request::Kind::Seek).empty());
    EXPECT_TRUE(w.ImageIs(0, kOld, {}));
    // The refresh is still asked, and C:, locked before D: refused, released.
    EXPECT_EQ(w.Storage().RequestsOf(Request::Kind::Control, platform::IOCTL_DISK_UPDATE_PROPERTIES).size(), 1u);
    EXPECT_FALSE(w.Storage().VolumeLocked("C:"));
    EXPECT_TRUE(w.world.state.LockedVolumeHandles.empty());
    EXPECT_EQ(w.Storage().OpenHandleCount(), 1u);
    EXPECT_EQ(w.view.events, (QStringList{"ask", "actions off", "actions on"}));
}

TEST(RunFormat, ACancelledRunStillEndsWithTheReminderAndThePausedBar) {
    FormatWorld w(Machine());
    Prepare(w);
    w.view.onProcessMessages = [&w](int call) {
        Tick(w.world.clock, 10);
        if (call == 2) RequestStop(w.world.state);
    };
    EXPECT_EQ(RunFormat(w.run), FormatOutcome::Cancelled);
    EXPECT_EQ(w.FormatTexts().mid(5), (QStringList{QStringLiteral("正在格式化..."), QStringLiteral("平均速度:          6.6 MB/s"),
                                                   QStringLiteral("操作在偏移处被取消                     131,072    LBA 256"), QString(),
                                                   QStringLiteral("请记住创建新分区.")}));
    EXPECT_FALSE(w.world.state.StopRequested);
    EXPECT_FALSE(w.view.stopEnabled);
    EXPECT_EQ(w.view.progressState, ProgressState::Paused);
    EXPECT_TRUE(w.view.actionsEnabled);
    EXPECT_TRUE(w.ImageIs(0, kOld, {{0, 131072}}));
}

TEST(RunFormat, WithoutTheZeroBufferTheClosingStepsStillTakePlace) {
    FormatWorld w(Machine());
    Prepare(w);
    w.run.zeroBuffer = [](std::size_t) { return platform::AlignedBuffer(); };
    EXPECT_EQ(RunFormat(w.run), FormatOutcome::NoBuffer);
    // Nothing was written, so there is no partition to re-create.
    EXPECT_EQ(w.FormatTexts(), (Header(w) + QStringList{QStringLiteral("正在格式化..."),
                                                       QStringLiteral("无法分配写入缓冲区, 操作已中止.")}));
    EXPECT_EQ(w.view.events, (QStringList{"ask", "actions off", "stop on", "focus stop", "bar normal",
                                          "bar paused", "stop off", "actions on"}));
    EXPECT_TRUE(w.Storage().RequestsOf(Request::Kind::Write).empty());
    EXPECT_EQ(w.Storage().RequestsOf(Request::Kind::Control, platform::IOCTL_DISK_UPDATE_PROPERTIES).size(), 1u);
    EXPECT_FALSE(w.Storage().VolumeLocked("C:"));
    EXPECT_TRUE(w.world.state.LockedVolumeHandles.empty());
    EXPECT_TRUE(w.ImageIs(0, kOld, {}));
}

TEST(RunFormat, InDebugModeTheLockStepsStandBetweenTheHeaderAndTheWipe) {
    FormatWorld w(Machine());
    Prepare(w);
    w.view.quick = true;
    w.world.state.DebugMode = true;
    RunFormat(w.run);
    const QStringList texts = w.FormatTexts();
    const qsizetype wiping = texts.indexOf(QStringLiteral("正在格式化..."));
    ASSERT_GT(wiping, 5);
    EXPECT_EQ(texts.mid(0, 5), Header(w));
    EXPECT_EQ(texts[5], QStringLiteral("正在寻找分区..."));
    EXPECT_EQ(texts.mid(5, wiping - 5).filter(QStringLiteral("Locking")),
              (QStringList{QStringLiteral("Locking \\\\.\\C:"), QStringLiteral("Locking \\\\.\\D:")}));
    // E:, on the other disk, is the last drive examined.
    EXPECT_TRUE(texts[wiping - 1].startsWith(QStringLiteral("找到分区E:"))) << texts[wiping - 1].toStdString();
}

}  // namespace
}  // namespace cendrix
