#include "shell/startup.h"

#include <gtest/gtest.h>

#include "platform/control_codes.h"
#include "platform/win32_errors.h"
#include "shell/project_links.h"
#include "support/sim_fixture.h"

namespace cendrix {
namespace {

using namespace testing;

// Records what the start-up asked of the windows, each call with the number
// of debug lines written before it, so that tests see the order.
class RecordingStartUpView final : public StartUpView {
public:
    explicit RecordingStartUpView(RecordingLogView& logs) : logs_(logs) {}

    void ShowDebugWindow() override { Record(QStringLiteral("ShowDebugWindow")); }
    void ShowDebugWindowModal() override { Record(QStringLiteral("ShowDebugWindowModal")); }
    void SetChooserCaption(const QString& text) override { chooserCaption = text; }
    void SetChooserProgramName(const QString& text) override { programName = text; }
    void SetMainCaption(const QString& text) override { mainCaption = text; }
    void SetCopyrightLines(const QString& text) override { copyright = text; }
    void SetChooserStatusText(const QString& text) override { chooserStatus = text; }
    bool ChooseDevice() override {
        Record(QStringLiteral("ChooseDevice"));
        if (chooseRow < 0) return false;
        state->DeviceChosen = true;
        state->SelectedDevice = chooseRow + 1;
        return true;
    }
    void ShowDiskName(const QString& diskName) override { shownDiskName = diskName; }
    void SetStatusDiskName(const QString& diskName) override {
        statusDiskName = diskName;
        detailsAtStatus = static_cast<int>(logs_.Lines(Pane::Details).size());
    }
    void FatalError(const QString& text, const QString& caption) override {
        Record(QStringLiteral("FatalError"));
        fatalText = text;
        fatalCaption = caption;
    }
    void EndProgram() override { Record(QStringLiteral("EndProgram")); }

    void Record(const QString& call) {
        calls.append(call + QLatin1Char('@') + QString::number(logs_.Lines(Pane::Debug).size()));
    }

    AppState* state = nullptr;
    int chooseRow = -1;  // the row the "user" accepts; -1 declines
    QStringList calls;
    QString chooserCaption, programName, mainCaption, copyright, chooserStatus;
    QString shownDiskName, statusDiskName, fatalText, fatalCaption;
    int detailsAtStatus = -1;  // details lines written when the status bar got the disk

private:
    RecordingLogView& logs_;
};

struct StartUpTest : ::testing::Test {
    StartUpTest() { view.state = &world.state; }

    StartUpOutcome Run(const QStringList& arguments) {
        inputs.arguments = arguments;
        return RunFirstShow(world.state, world.Storage(), world.logs, world.clock, view, inputs);
    }
    QStringList Unstamped(Pane pane) const {
        QStringList lines;
        for (const QString& line : world.view.Lines(pane)) lines.append(line.mid(kStamp.size()));
        return lines;
    }

    SimWorld world{sim::Machine{{MakeDisk(0), MakeDisk(3, 300000)}, {}}};
    RecordingStartUpView view{world.view};
    StartUpInputs inputs{{}, QStringLiteral("/opt/cendrix/bin/cendrix"), TestPlatform()};
};

TEST_F(StartUpTest, DebugSwitchShowsTheDebugWindowBeforeTheEnumerationAndModallyAfterIt) {
    view.chooseRow = 1;
    EXPECT_EQ(Run({QStringLiteral("--调试")}), StartUpOutcome::Ready);
    EXPECT_TRUE(world.state.DebugMode);
    const QStringList debug = Unstamped(Pane::Debug);
    ASSERT_GT(debug.size(), 6);
    EXPECT_EQ(debug.mid(0, 5),
              (QStringList{QStringLiteral("调试模式激活"), QStringLiteral("程序路径:         /opt/cendrix/bin/"),
                           QStringLiteral("平台:       6.1.0   Debian GNU/Linux 12 (bookworm)  (64 位)"),
                           QStringLiteral("程序版本: Cendrix 4.50"), QStringLiteral("正在遍历设备...")}));
    // Shown right after the first line, long before the enumeration's lines;
    // shown modally once they are all written, and before the chooser.
    ASSERT_EQ(view.calls.size(), 3);
    EXPECT_EQ(view.calls[0], QStringLiteral("ShowDebugWindow@1"));
    EXPECT_EQ(view.calls[1], QStringLiteral("ShowDebugWindowModal@%1").arg(debug.size()));
    EXPECT_EQ(view.calls[2], QStringLiteral("ChooseDevice@%1").arg(debug.size()));
    EXPECT_EQ(world.clock.slept, 50);
}

TEST_F(StartUpTest, WithoutTheSwitchNothingIsShownOrWrittenForDebugging) {
    view.chooseRow = 0;
    EXPECT_EQ(Run({}), StartUpOutcome::Ready);
    EXPECT_FALSE(world.state.DebugMode);
    EXPECT_TRUE(world.view.Lines(Pane::Debug).isEmpty());
    EXPECT_EQ(view.calls, QStringList{QStringLiteral("ChooseDevice@0")});
    EXPECT_EQ(world.clock.slept, 50);
}

// Found before the start-up (no disk may be opened, and no restart with
// the rights): the debug log says so right after the enumeration's lines.
const QString kDiskAccessNote = QStringLiteral("无法打开任何磁盘 (\\\\.\\PhysicalDrive0: Permission denied): x");

TEST_F(StartUpTest, TheDiskAccessNoteFollowsTheEnumerationInTheDebugLog) {
    inputs.diskAccessNote = kDiskAccessNote;
    view.chooseRow = 0;
    ASSERT_EQ(Run({QStringLiteral("--调试")}), StartUpOutcome::Ready);
    const QStringList debug = Unstamped(Pane::Debug);
    EXPECT_EQ(debug.count(kDiskAccessNote), 1);
    EXPECT_EQ(debug.last(), kDiskAccessNote);
    EXPECT_EQ(view.calls[1], QStringLiteral("ShowDebugWindowModal@%1").arg(debug.size()));
}

TEST_F(StartUpTest, TheDiskAccessNoteIsWrittenOnlyInDebugMode) {
    inputs.diskAccessNote = kDiskAccessNote;
    view.chooseRow = 0;
    ASSERT_EQ(Run({}), StartUpOutcome::Ready);
    EXPECT_TRUE(world.view.Lines(Pane::Debug).isEmpty());
    EXPECT_FALSE(world.view.Lines(Pane::Format).join('\n').contains(kDiskAccessNote));
}

TEST_F(StartUpTest, OnlyTheFirstArgumentIsTheSwitch) {
    struct Case {
        QStringList arguments;
        bool debug;
    } cases[] = {
        {{QStringLiteral("--调试")}, true},
        {{QStringLiteral("--调试"), QStringLiteral("extra")}, true},
        {{QStringLiteral("extra"), QStringLiteral("--调试")}, false},
        {{QStringLiteral("--调试 ")}, false},
        {{QStringLiteral("-调试")}, false},
        {{}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(DebugSwitchGiven(c.arguments), c.debug) << c.arguments.join(u'|').toStdString();
}

TEST_F(StartUpTest, SetsTheCaptionsTheStatusTextAndTheThreeWarningLines) {
    view.chooseRow = 0;
    Run({});
    EXPECT_EQ(view.chooserCaption, QStringLiteral("设备选择 - Cendrix 4.50"));
    EXPECT_EQ(view.programName, QStringLiteral("CENDRIX 4.50"));
    EXPECT_EQ(view.mainCaption, QStringLiteral("Cendrix 4.50"));
    EXPECT_EQ(view.copyright, kCopyrightLine);
    EXPECT_EQ(view.chooserStatus, QStringLiteral("找到磁盘:        2"));
    EXPECT_EQ(world.view.Lines(Pane::Format),
              (QStringList{kStamp + QStringLiteral(" * * * * *  警告!!! * * * * * "),
                           kStamp + QStringLiteral("正在低级格式化过程中"),
                           kStamp + QStringLiteral("所有数据都将被完全且不可逆转地删除! ")}));
}

TEST_F(StartUpTest, AcceptedDiskIsNamedAndOpenedExclusively) {
    view.chooseRow = 1;
    ASSERT_EQ(Run({}), StartUpOutcome::Ready);
    const QString caption = QStringLiteral("[3]  TEST DISK 3    1.0    [153.6 MB]    (300000 512-字节扇区)");
    EXPECT_EQ(world.state.DiskName, caption);
    EXPECT_EQ(view.shownDiskName, caption);
    EXPECT_EQ(view.statusDiskName, caption);
    EXPECT_TRUE(world.state.DeviceHandle.Valid());
    const auto opens = world.Storage().RequestsOf(sim::Request::Kind::Open);
    ASSERT_FALSE(opens.empty());
    EXPECT_EQ(opens.back().path, "\\\\.\\PhysicalDrive3");
    EXPECT_EQ(opens.back().access, platform::GENERIC_READ | platform::GENERIC_WRITE);
    EXPECT_EQ(opens.back().share, 0u);
    EXPECT_EQ(world.Storage().OpenHandleCount(), 1u);
}

// The last step: the details report of the opened disk, after the status
// bar shows it. These disks give no IDENTIFY data.
TEST_F(StartUpTest, TheDetailsReportOfTheOpenedDiskComesLast) {
    view.chooseRow = 1;
    ASSERT_EQ(Run({}), StartUpOutcome::Ready);
    EXPECT_EQ(view.detailsAtStatus, 0);
    EXPECT_EQ(world.view.Lines(Pane::Details),
              (QStringList{QStringLiteral(" "), QStringLiteral("当前日期和时间:               2024/12/17 09:05:03"),
                           QStringLiteral("设备详细信息             ") + world.state.DiskName, QStringLiteral(" "),
                           QStringLiteral("此设备详细信息不可用.")}));
    // Asked through the exclusive handle.
    const auto identify = world.Storage().RequestsOf(sim::Request::Kind::Control, platform::SMART_RCV_DRIVE_DATA);
    ASSERT_FALSE(identify.empty());
    EXPECT_EQ(identify.back().handle, world.state.DeviceHandle.Get());
}

TEST_F(StartUpTest, DecliningTheChooserEndsWithoutOpeningAnyDisk) {
    view.chooseRow = -1;
    EXPECT_EQ(Run({}), StartUpOutcome::Ended);
    EXPECT_EQ(view.calls, (QStringList{QStringLiteral("ChooseDevice@0"), QStringLiteral("EndProgram@0")}));
    EXPECT_FALSE(world.state.DeviceHandle.Valid());
    EXPECT_TRUE(world.state.DiskName.isEmpty());
    EXPECT_EQ(world.Storage().OpenHandleCount(), 0u);
    EXPECT_TRUE(view.shownDiskName.isEmpty());
    EXPECT_TRUE(world.view.Lines(Pane::Details).isEmpty());
}

TEST(StartUpOpen, ADiskHeldByAnotherProgramEndsWithTheOpenError) {
    sim::Disk held = MakeDisk(0);
    held.inUse = true;
    SimWorld world(sim::Machine{{held}, {}});
    RecordingStartUpView view(world.view);
    view.state = &world.state;
    view.chooseRow = 0;
    StartUpInputs inputs{{}, QStringLiteral("/x/cendrix"), TestPlatform()};
    const std::size_t othersHandles = world.Storage().OpenHandleCount();
    EXPECT_EQ(RunFirstShow(world.state, world.Storage(), world.logs, world.clock, view, inputs),
              StartUpOutcome::Ended);
    EXPECT_EQ(view.calls.last(), QStringLiteral("FatalError@0"));
    EXPECT_EQ(view.fatalText, QStringLiteral("错误打开设备:               ") +
                                  QString::fromStdU16String(world.Storage().FormatMessageW(
                                      platform::ERROR_SHARING_VIOLATION)));
    EXPECT_EQ(view.fatalCaption, QStringLiteral("错误"));
    // The caption was already shown; the status bar and the handle were not.
    EXPECT_FALSE(view.shownDiskName.isEmpty());
    EXPECT_TRUE(view.statusDiskName.isEmpty());
    EXPECT_FALSE(world.state.DeviceHandle.Valid());
    EXPECT_EQ(world.Storage().OpenHandleCount(), othersHandles);
    EXPECT_TRUE(world.view.Lines(Pane::Details).isEmpty());
}

TEST(StartUpEnumeration, AFatalProbeAnswerEndsTheProgramBeforeTheChooser) {
    sim::Disk broken = MakeDisk(0);
    broken.deviceQueryError = 1117;
    SimWorld world(sim::Machine{{broken}, {}});
    RecordingStartUpView view(world.view);
    view.state = &world.state;
    StartUpInputs inputs{{}, QStringLiteral("/x/cendrix"), TestPlatform()};
    EXPECT_EQ(RunFirstShow(world.state, world.Storage(), world.logs, world.clock, view, inputs),
              StartUpOutcome::Ended);
    EXPECT_EQ(view.calls, QStringList{QStringLiteral("FatalError@0")});
    EXPECT_TRUE(view.fatalText.startsWith(QStringLiteral("访问设备时出错: ")));
    EXPECT_EQ(view.fatalCaption, QStringLiteral("错误"));
    EXPECT_TRUE(view.chooserStatus.isEmpty());
    EXPECT_TRUE(world.view.Lines(Pane::Format).isEmpty());
}

TEST(StartUpPlatform, ASystemOutsideTheSupportedFamilyEndsBeforeTheEnumeration) {
    SimWorld world(sim::Machine{{MakeDisk(0)}, {}});
    RecordingStartUpView view(world.view);
    view.state = &world.state;
    StartUpInputs inputs{{}, QStringLiteral("/x/cendrix"), TestPlatform()};
    inputs.platform.ntFamily = false;
    EXPECT_EQ(RunFirstShow(world.state, world.Storage(), world.logs, world.clock, view, inputs),
              StartUpOutcome::Ended);
    EXPECT_EQ(view.fatalText, QStringLiteral("仅支持以下版本的 Windows: 2003, 2008, XP, Vista, 7"));
    EXPECT_EQ(view.fatalCaption, QStringLiteral("错误"));
    EXPECT_TRUE(world.Storage().RequestsOf(sim::Request::Kind::Open).empty());
    EXPECT_EQ(world.clock.slept, 0);
}

TEST(ProgramFolder, KeepsTheFolderWithItsTrailingSeparator) {
    EXPECT_EQ(ProgramFolder(QStringLiteral("/opt/cendrix/bin/cendrix")), QStringLiteral("/opt/cendrix/bin/"));
    EXPECT_EQ(ProgramFolder(QStringLiteral("C:\\Tools\\Cendrix\\cendrix.exe")), QStringLiteral("C:\\Tools\\Cendrix\\"));
    EXPECT_EQ(ProgramFolder(QStringLiteral("/cendrix")), QStringLiteral("/"));
    EXPECT_EQ(ProgramFolder(QStringLiteral("cendrix")), QString());
}

}  // namespace
}  // namespace cendrix
