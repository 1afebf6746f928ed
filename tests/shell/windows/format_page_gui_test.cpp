// The format page driven as a user drives it: the format button, the
// question, the run with its bar, labels and Stop button, the lock refusal,
// and closing the window in the middle of a run.
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include "desktop_fixture.h"
#include "platform/control_codes.h"
#include "shell/text_format.h"
#include "shell/windows/dialogs.h"

namespace cendrix {
namespace {

using namespace testing;

// 40,960,000 bytes: large enough to be chosen, four times what a quick wipe covers.
constexpr std::int64_t kSectors = 80000;
constexpr std::int64_t kDiskBytes = kSectors * 512;
constexpr std::int64_t kQuickBytes = 10240000;
constexpr std::uint8_t kOld = 0xA5;

const QString kCancelledPrefix = QStringLiteral("操作在偏移处被取消                     ");

// One disk with one volume; `delayMs` makes every write that slow.
sim::Machine FormatMachine(sim::VolumeAnswer lock = sim::VolumeAnswer::Accept, std::uint32_t delayMs = 0) {
    sim::Disk disk = MakeDisk(0, kSectors);
    disk.writeDelayMs = delayMs;
    sim::Volume volume;
    volume.name = "C:";
    volume.deviceNumber = 0;
    volume.lock = lock;
    return sim::Machine{{disk}, {volume}};
}

// The program started on a machine whose disk holds the old pattern, with
// the disk chosen and the format page showing.
class FormatSession {
public:
    explicit FormatSession(sim::Machine machine) : f(std::move(machine)) {
        f.world.FillImage(0, kOld);
        // Every reading of the clock moves it on a millisecond, so that the
        // speed label is written.
        f.world.clock.stepPerReading = 1;
    }

    bool Open() {
        if (!f.StartWithLastDisk()) return false;
        Main().pages->setCurrentIndex(1);
        QTest::qWait(10);
        startLines = MemoLines(Main().Log_BenchMark).size();
        f.Storage().ClearRequests();
        return true;
    }

    windows::TFmMain& Main() { return f.Program().Main(); }

    // The next question is answered with the button of `result` (6 Yes, 2 Cancel).
    void Answer(int result) {
        f.script.Expect(QStringLiteral("TaskMessage"), [result](QWidget* dialog) {
            auto* button = dialog->findChild<QPushButton*>(QStringLiteral("button%1").arg(result));
            ASSERT_NE(button, nullptr);
            QTest::mouseClick(button, Qt::LeftButton);
        });
    }

    // Clicks the format button; returns when the click has been handled,
    // that is after the whole run.
    void ClickFormat() { QTest::mouseClick(Main().btRunBenchmarks, Qt::LeftButton); }

    // The format log written since the page was opened, without timestamps.
    QStringList NewLog() { return Unstamped(MemoLines(Main().Log_BenchMark).mid(startLines)); }

    // Whether the image holds zeros up to `zeros` and the old pattern after.
    ::testing::AssertionResult ZeroedUpTo(std::int64_t zeros) {
        const QByteArray image = f.world.ReadImage(0, 0, kDiskBytes);
        for (qsizetype i = 0; i < kDiskBytes; ++i) {
            const char want = i < zeros ? '\0' : static_cast<char>(kOld);
            if (image[i] != want) return ::testing::AssertionFailure() << "byte " << i << " differs";
        }
        return ::testing::AssertionSuccess();
    }

    std::vector<sim::Request> Writes() { return f.Storage().RequestsOf(sim::Request::Kind::Write); }

    void ExpectIdle() {
        windows::TFmMain& m = Main();
        EXPECT_TRUE(m.btRunBenchmarks->isEnabled());
        EXPECT_TRUE(m.btGetSmart->isEnabled());
        EXPECT_TRUE(m.cbQuickWipe->isEnabled());
        EXPECT_FALSE(m.btStop->isEnabled());
        EXPECT_FALSE(f.Program().FormatRunning());
    }

    DesktopFixture f;
    qsizetype startLines = 0;
};

QStringList Header(const QString& diskName) {
    return {QStringLiteral(" "), QString(49, QLatin1Char('=')), QStringLiteral("低级格式化:            ") + diskName,
            QStringLiteral("设备容量:            ") + GroupThousands(kSectors) + QStringLiteral(" 扇区"), QStringLiteral("正在锁定设备... ")};
}

// What the controls were at one moment of a run.
struct Controls {
    bool actions = false;  // any of format button, S.M.A.R.T. button, check box enabled
    bool stop = false;
    bool stopFocused = false;
    bool paused = false;
};

Controls Sample(windows::TFmMain& m) {
    return {m.btRunBenchmarks->isEnabled() || m.btGetSmart->isEnabled() || m.cbQuickWipe->isEnabled(),
            m.btStop->isEnabled(), m.focusWidget() == m.btStop, m.ProgressPaused()};
}

// Runs `act` from the window's event handling once `when` holds, at most once.
class WhenRunning {
public:
    WhenRunning(std::function<bool()> when, std::function<void()> act) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this, when = std::move(when), act = std::move(act)] {
            if (!when()) return;
            timer_.stop();
            act();
        });
        timer_.start();
    }

private:
    QTimer timer_;
};

// The percentage the page shows, or -1 before the first block.
int ShownPercent(windows::TFmMain& m) {
    const QString text = m.lbCurrentPercent->text();
    return text.isEmpty() ? -1 : text.section(QLatin1Char('%'), 0, 0).toInt();
}

TEST(FormatPageGui, AConfirmedQuickFormatZeroesTheStartOfTheDiskAndGivesTheControlsBack) {
    FormatSession page(FormatMachine());
    ASSERT_TRUE(page.Open());
    windows::TFmMain& m = page.Main();
    const QString diskName = page.f.State().DiskName;

    page.f.script.Expect(QStringLiteral("TaskMessage"), [&](QWidget* w) {
        auto* dialog = qobject_cast<windows::TaskMessageDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->parentWidget(), &m);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("警告"));
        EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("instruction"))->text(),
                  QStringLiteral("所选设备上的所有数据都将丢失"));
        EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("content"))->text(),
                  QStringLiteral("你是否绝对确定要不可逆地销毁此设备上的所有数据?\r\n\r\n") + diskName);
        EXPECT_EQ(dialog->IconKind(), TaskIconKind::Warning);
        QStringList buttons;
        for (QPushButton* b : dialog->findChildren<QPushButton*>()) buttons << b->objectName();
        EXPECT_EQ(buttons, (QStringList{QStringLiteral("button6"), QStringLiteral("button2")}));
        // Nothing has happened yet.
        EXPECT_TRUE(page.f.Storage().Requests().empty());
        EXPECT_TRUE(page.NewLog().isEmpty());
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("button6")), Qt::LeftButton);
    });

    // The controls as the volume is locked, during the wipe, and as the disk
    // is asked to re-read its layout.
    std::vector<Controls> locking, wiping, refreshing;
    page.f.onControl = [&](std::uint32_t code) {
        if (code == platform::FSCTL_LOCK_VOLUME) locking.push_back(Sample(m));
        if (code == platform::IOCTL_DISK_UPDATE_PROPERTIES) refreshing.push_back(Sample(m));
    };
    WhenRunning duringWipe([&] { return ShownPercent(m) >= 50; }, [&] { wiping.push_back(Sample(m)); });

    m.cbQuickWipe->setChecked(true);
    page.ClickFormat();

    ASSERT_EQ(locking.size(), 1u);
    EXPECT_FALSE(locking[0].actions);
    EXPECT_FALSE(locking[0].stop);
    ASSERT_EQ(wiping.size(), 1u);
    EXPECT_FALSE(wiping[0].actions);
    EXPECT_TRUE(wiping[0].stop);
    EXPECT_TRUE(wiping[0].stopFocused);
    EXPECT_FALSE(wiping[0].paused);
    ASSERT_EQ(refreshing.size(), 1u);
    EXPECT_FALSE(refreshing[0].actions);
    EXPECT_FALSE(refreshing[0].stop);
    EXPECT_TRUE(refreshing[0].paused);

    const QString speed = m.lbSpeed->text();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d MB/s$")).match(speed).hasMatch()) << speed.toStdString();
    EXPECT_EQ(page.NewLog(), Header(diskName) + QStringList({QStringLiteral("正在格式化..."),
                                                             QStringLiteral("平均速度:          ") + speed,
                                                             QStringLiteral("低级格式化完成."), QString(),
                                                             QStringLiteral("请记住创建新分区.")}));
    EXPECT_EQ(m.pbCurrentTask->value(), 100);
    EXPECT_TRUE(m.ProgressPaused());
    EXPECT_EQ(m.lbCurrentPercent->text(), QStringLiteral("100% 完成"));
    EXPECT_EQ(m.lbCurrentPosition->text(), QStringLiteral("当前扇区:           20,000"));
    page.ExpectIdle();
    EXPECT_TRUE(m.cbQuickWipe->isChecked());

    // Zeros over the first 10,240,000 bytes, through the program's handle,
    // and the old bytes beyond.
    EXPECT_TRUE(page.ZeroedUpTo(kQuickBytes));
    std::int64_t written = 0;
    for (const sim::Request& w : page.Writes()) {
        EXPECT_TRUE(w.allZero);
        EXPECT_EQ(w.handle, page.f.State().DeviceHandle.Get());
        EXPECT_EQ(w.offset, written);
        written += w.length;
    }
    EXPECT_EQ(written, kQuickBytes);
    EXPECT_EQ(page.Writes().size(), 49u);
    EXPECT_FALSE(page.f.Storage().VolumeLocked("C:"));
    EXPECT_EQ(page.f.Storage().OpenHandleCount(), 1u);
    EXPECT_EQ(page.f.State().LockedVolumeHandles.size(), 0u);
}

TEST(FormatPageGui, DecliningTheQuestionChangesNothing) {
    for (const bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "the dialog's close box" : "Cancel");
        FormatSession page(FormatMachine());
        ASSERT_TRUE(page.Open());
        windows::TFmMain& m = page.Main();
        const QString logBefore = m.Log_BenchMark->toPlainText();
        if (closeBox) {
            page.f.script.Expect(QStringLiteral("TaskMessage"), [](QWidget* dialog) { dialog->close(); });
        } else {
            page.Answer(kTaskResultCancel);
        }
        page.ClickFormat();
        EXPECT_EQ(page.f.script.Pending(), 0);
        EXPECT_EQ(m.Log_BenchMark->toPlainText(), logBefore);
        EXPECT_TRUE(page.f.Storage().Requests().empty());
        page.ExpectIdle();
        EXPECT_FALSE(m.ProgressPaused());
        EXPECT_EQ(m.pbCurrentTask->value(), 0);
        EXPECT_TRUE(m.lbCurrentPercent->text().isEmpty());
        EXPECT_TRUE(page.ZeroedUpTo(0));
    }
}

TEST(FormatPageGui, StopEndsTheRunAfterTheBlockBeingWrittenAndPausesTheBar) {
    // Slow writes: the run is still going when Stop is clicked.
    FormatSession page(FormatMachine(sim::VolumeAnswer::Accept, 2));
    ASSERT_TRUE(page.Open());
    windows::TFmMain& m = page.Main();
    page.Answer(kTaskResultYes);

    std::size_t requestsAtClick = 0;
    QString positionAtClick;
    WhenRunning clickStop([&] { return ShownPercent(m) >= 20 && m.btStop->isEnabled(); },
                          [&] {
                              requestsAtClick = page.f.Storage().Requests().size();
                              positionAtClick = m.lbCurrentPosition->text();
                              QTest::mouseClick(m.btStop, Qt::LeftButton);
                              // Only the request is noted; the run sees it before its next block.
                              EXPECT_TRUE(page.f.State().StopRequested);
                              EXPECT_TRUE(m.btStop->isEnabled());
                          });
    page.ClickFormat();  // a whole-disk run: the check box is left unchecked
    ASSERT_GT(requestsAtClick, 0u);

    // The block whose labels were showing at the click is still written, and
    // nothing after it.
    const auto& requests = page.f.Storage().Requests();
    int writesAfterClick = 0;
    for (std::size_t i = requestsAtClick; i < requests.size(); ++i) {
        writesAfterClick += requests[i].kind == sim::Request::Kind::Write;
    }
    EXPECT_EQ(writesAfterClick, 1);
    std::int64_t written = 0;
    for (const sim::Request& w : page.Writes()) written += w.length;
    ASSERT_GT(written, 0);
    ASSERT_LT(written, kDiskBytes);
    EXPECT_EQ(positionAtClick, QStringLiteral("当前扇区:           ") + GroupThousands(written / 512));
    EXPECT_TRUE(page.ZeroedUpTo(written));

    const QStringList log = page.NewLog();
    ASSERT_GE(log.size(), 4);
    EXPECT_EQ(log.mid(0, 6), Header(page.f.State().DiskName) + QStringList{QStringLiteral("正在格式化...")});
    EXPECT_EQ(log.mid(log.size() - 3),
              (QStringList{kCancelledPrefix + GroupThousands(written) + QStringLiteral("    LBA ") +
                               GroupThousands(written / 512),
                           QString(), QStringLiteral("请记住创建新分区.")}));
    EXPECT_FALSE(page.f.State().StopRequested);
    EXPECT_TRUE(m.ProgressPaused());
    EXPECT_LT(m.pbCurrentTask->value(), 100);
    page.ExpectIdle();
    EXPECT_FALSE(page.f.Storage().VolumeLocked("C:"));
}

TEST(FormatPageGui, AVolumeThatCannotBeLockedStopsTheRunBeforeAnyWrite) {
    FormatSession page(FormatMachine(sim::VolumeAnswer::Refuse));
    ASSERT_TRUE(page.Open());
    windows::TFmMain& m = page.Main();
    page.Answer(kTaskResultYes);
    bool stopEverEnabled = false;
    WhenRunning watchStop([&] { return m.btStop->isEnabled(); }, [&] { stopEverEnabled = true; });
    page.ClickFormat();

    EXPECT_EQ(page.NewLog(),
              Header(page.f.State().DiskName) +
                  QStringList{QStringLiteral("无法锁定设备. 请确保您在此设备上没有打开的文件, 然后重试. ")});
    EXPECT_FALSE(stopEverEnabled);
    EXPECT_TRUE(page.Writes().empty());
    EXPECT_TRUE(page.ZeroedUpTo(0));
    page.ExpectIdle();
    EXPECT_FALSE(m.ProgressPaused());
    EXPECT_TRUE(m.lbCurrentPercent->text().isEmpty());
    // The refresh is still asked, and every volume handle is given back.
    EXPECT_EQ(page.f.Storage().RequestsOf(sim::Request::Kind::Control, platform::IOCTL_DISK_UPDATE_PROPERTIES).size(),
              1u);
    EXPECT_EQ(page.f.Storage().OpenHandleCount(), 1u);
}

// Closing the window in the middle of a run stops the run first; the window
// closes, and the disk with it, once the run has ended.
TEST(FormatPageGui, ClosingTheWindowDuringARunStopsItAndClosesOnceItHasEnded) {
    FormatSession page(FormatMachine(sim::VolumeAnswer::Accept, 2));
    ASSERT_TRUE(page.Open());
    windows::TFmMain& m = page.Main();
    const platform::Handle disk = page.f.State().DeviceHandle.Get();
    page.Answer(kTaskResultYes);

    std::size_t requestsAtClose = 0;
    WhenRunning closeWindow([&] { return ShownPercent(m) >= 20; },
                            [&] {
                                requestsAtClose = page.f.Storage().Requests().size();
                                EXPECT_FALSE(m.close());
                                // Still open, and so is the disk: the run goes on to its stop.
                                EXPECT_TRUE(m.isVisible());
                                EXPECT_TRUE(page.f.State().DeviceHandle.Valid());
                                EXPECT_TRUE(page.f.State().StopRequested);
                                EXPECT_TRUE(page.f.ends.isEmpty());
                            });
    page.ClickFormat();
    ASSERT_GT(requestsAtClose, 0u);

    // The run ended as cancelled, with its closing lines, before the window closed.
    std::int64_t written = 0;
    for (const sim::Request& w : page.Writes()) written += w.length;
    ASSERT_LT(written, kDiskBytes);
    const QStringList log = page.NewLog();
    ASSERT_GE(log.size(), 3);
    EXPECT_EQ(log.mid(log.size() - 3),
              (QStringList{kCancelledPrefix + GroupThousands(written) + QStringLiteral("    LBA ") +
                               GroupThousands(written / 512),
                           QString(), QStringLiteral("请记住创建新分区.")}));
    EXPECT_TRUE(page.ZeroedUpTo(written));
    EXPECT_FALSE(m.isVisible());
    EXPECT_EQ(page.f.ends, QList<int>{windows::kExitNormal});

    // After the close request: the block in flight, then the refresh, the
    // volume's release and, last, the disk's one close; nothing written after it.
    const auto& requests = page.f.Storage().Requests();
    int writes = 0, diskCloses = 0;
    std::size_t lastWrite = 0, refresh = 0, diskClose = 0;
    for (std::size_t i = requestsAtClose; i < requests.size(); ++i) {
        const sim::Request& r = requests[i];
        if (r.kind == sim::Request::Kind::Write) {
            ++writes;
            lastWrite = i;
        }
        if (r.kind == sim::Request::Kind::Control && r.code == platform::IOCTL_DISK_UPDATE_PROPERTIES) refresh = i;
        if (r.kind == sim::Request::Kind::Close && r.handle == disk) {
            ++diskCloses;
            diskClose = i;
        }
    }
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(diskCloses, 1);
    EXPECT_LT(lastWrite, refresh);
    EXPECT_LT(refresh, diskClose);
    EXPECT_EQ(diskClose, requests.size() - 1);
    EXPECT_FALSE(page.f.State().DeviceHandle.Valid());
    EXPECT_EQ(page.f.Storage().OpenHandleCount(), 0u);
    EXPECT_FALSE(page.f.Program().FormatRunning());
}

}  // namespace
}  // namespace cendrix
