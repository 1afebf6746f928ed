// The desktop program's start on a simulated machine: the real windows,
// driven as a user would.
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include "desktop_fixture.h"
#include "discovery/chooser_rules.h"
#include "platform/win32_errors.h"
#include "shell/open_device.h"
#include "shell/project_links.h"
#include "shell/windows/link_label.h"

namespace cendrix {
namespace {

using namespace testing;
using windows::kExitFatal;
using windows::kExitNormal;

void ClickContinue(windows::TFmChoose& chooser) { QTest::mouseClick(chooser.btContinue, Qt::LeftButton); }

TEST(StartUpGui, WithoutTheSwitchTheChooserPreselectsTheLastDiskAndAcceptingOpensIt) {
    DesktopFixture f(ThreeDisks());
    f.script.Expect(QStringLiteral("TFmChoose"), [&f](QWidget*) {
        windows::TFmChoose& c = f.Program().Chooser();
        EXPECT_EQ(c.windowTitle(), QStringLiteral("设备选择 - Cendrix 4.50"));
        EXPECT_EQ(c.lbProgramName->text(), QStringLiteral("CENDRIX 4.50"));
        EXPECT_EQ(c.lbCopyright->text(), kCopyrightLine);
        EXPECT_EQ(c.StatusText(), QStringLiteral("找到磁盘:        3"));
        // Rows in table order, cells as the chooser's rules write them.
        ASSERT_EQ(c.DriveList->topLevelItemCount(), 3);
        const auto titles = ChooserColumnTitles();
        for (int col = 0; col < 6; ++col) EXPECT_EQ(c.DriveList->headerItem()->text(col), titles[col]);
        for (int row = 0; row < 3; ++row) {
            const auto cells = ChooserColumns(f.State().DeviceTables[row + 1], TestLocale());
            for (int col = 0; col < 6; ++col) EXPECT_EQ(c.DriveList->topLevelItem(row)->text(col), cells[col]);
        }
        EXPECT_EQ(c.DriveList->topLevelItem(0)->text(1), QStringLiteral("TEST DISK 0 (C: F:)"));
        EXPECT_EQ(c.DriveList->topLevelItem(2)->text(5), QStringLiteral("1228.8 MB"));
        // The last disk is selected and focused, Continue is on.
        ASSERT_EQ(c.DriveList->selectedItems().size(), 1);
        EXPECT_EQ(c.DriveList->selectedItems().front(), c.DriveList->topLevelItem(2));
        EXPECT_EQ(c.DriveList->currentItem(), c.DriveList->topLevelItem(2));
        EXPECT_EQ(c.focusWidget(), c.DriveList);
        EXPECT_TRUE(c.btContinue->isEnabled());
        ClickContinue(c);
    });
    ASSERT_TRUE(f.RunStartUp());
    EXPECT_EQ(f.Program().Outcome(), StartUpOutcome::Ready);
    EXPECT_TRUE(f.ends.isEmpty());

    windows::TFmMain& m = f.Program().Main();
    const QString caption = QStringLiteral("[5]  TEST DISK 5    1.0    [1228.8 MB]    (300000 4096-字节扇区)");
    EXPECT_EQ(f.State().SelectedDevice, 3);
    EXPECT_EQ(f.State().DiskName, caption);
    EXPECT_EQ(m.lbDiskName->text(), caption);
    EXPECT_EQ(m.windowTitle(), QStringLiteral("Cendrix 4.50"));
    EXPECT_EQ(m.StatusPanel(0), QStringLiteral("Cendrix 4.50"));
    EXPECT_EQ(m.StatusPanel(1), caption);
    EXPECT_EQ(m.StatusPanel(2), QString());
    EXPECT_EQ(m.lbCopyright->text(), kCopyrightLine);
    EXPECT_EQ(Unstamped(MemoLines(m.Log_BenchMark)),
              (QStringList{QStringLiteral(" * * * * *  警告!!! * * * * * "), QStringLiteral("正在低级格式化过程中"),
                           QStringLiteral("所有数据都将被完全且不可逆转地删除! ")}));
    // The chosen disk is held open, read/write and unshared.
    EXPECT_TRUE(f.State().DeviceHandle.Valid());
    EXPECT_EQ(f.ExclusiveOpens(), 1);
    EXPECT_EQ(f.Storage().OpenHandleCount(), 1u);
    // No debug mode: the debug window was never shown and holds its first line only.
    EXPECT_TRUE(f.debugShows.isEmpty());
    EXPECT_EQ(f.Program().Debug().Memo1->toPlainText(), QStringLiteral("调试窗口"));
    EXPECT_FALSE(f.State().DebugMode);
}

TEST(StartUpGui, WithTheSwitchTheDebugWindowIsShownAtOnceThenModallyBeforeTheChooser) {
    DesktopFixture f(ThreeDisks(), {QStringLiteral("--调试")});
    f.script.Expect(QStringLiteral("TFmDebug"), [&f](QWidget* w) {
        windows::TFmDebug& d = f.Program().Debug();
        EXPECT_EQ(w, &d);
        EXPECT_TRUE(d.isModal());
        EXPECT_EQ(d.windowTitle(), QStringLiteral("调试"));
        EXPECT_EQ(f.chooserShows, 0);
        const QStringList lines = MemoLines(d.Memo1);
        ASSERT_GT(lines.size(), 6);
        EXPECT_EQ(lines[0], QStringLiteral("调试窗口"));
        EXPECT_EQ(Unstamped(lines.mid(1, 5)),
                  (QStringList{QStringLiteral("调试模式激活"), QStringLiteral("程序路径:         /opt/cendrix/bin/"),
                               QStringLiteral("平台:       6.1.0   Debian GNU/Linux 12 (bookworm)  (64 位)"),
                               QStringLiteral("程序版本: Cendrix 4.50"), QStringLiteral("正在遍历设备...")}));
        EXPECT_TRUE(lines.contains(kStamp + QStringLiteral("正在尝试设备 \\\\.\\PhysicalDrive5")));
        d.close();
    });
    f.script.Expect(QStringLiteral("TFmChoose"), [&f](QWidget*) {
        EXPECT_FALSE(f.Program().Debug().isVisible());
        ClickContinue(f.Program().Chooser());
    });
    ASSERT_TRUE(f.RunStartUp());
    EXPECT_EQ(f.Program().Outcome(), StartUpOutcome::Ready);
    EXPECT_TRUE(f.State().DebugMode);
    // Shown twice: first beside the main window with the switch's line only
    // (and the window's own first line), then modally with the whole log.
    ASSERT_EQ(f.debugShows.size(), 2);
    EXPECT_EQ(f.debugShows[0], 2);
    EXPECT_GT(f.debugShows[1], 10);
    EXPECT_EQ(f.chooserShows, 1);
}

TEST(StartUpGui, TheSwitchAsSecondArgumentIsIgnored) {
    DesktopFixture f(ThreeDisks(), {QStringLiteral("--other"), QStringLiteral("--调试")});
    f.script.Expect(QStringLiteral("TFmChoose"), [&f](QWidget*) { ClickContinue(f.Program().Chooser()); });
    ASSERT_TRUE(f.RunStartUp());
    EXPECT_EQ(f.Program().Outcome(), StartUpOutcome::Ready);
    EXPECT_FALSE(f.State().DebugMode);
    EXPECT_TRUE(f.debugShows.isEmpty());
    EXPECT_EQ(f.Program().Debug().Memo1->toPlainText(), QStringLiteral("调试窗口"));
}

// Leaving the chooser without a disk ends the program: Escape in the list
// (even with a row selected) or the close box.
TEST(StartUpGui, LeavingTheChooserEndsTheProgramWithoutOpeningADisk) {
    const struct {
        const char* how;
        std::function<void(windows::TFmChoose&)> leave;
    } cases[] = {
        {"Escape in the list", [](windows::TFmChoose& c) { QTest::keyClick(c.DriveList, Qt::Key_Escape); }},
        {"close box", [](windows::TFmChoose& c) { c.close(); }},
        {"Escape on Continue, then the close box",
         [](windows::TFmChoose& c) {
             // Outside the list Escape does nothing.
             QTest::keyClick(c.btContinue, Qt::Key_Escape);
             EXPECT_TRUE(c.isVisible());
             c.close();
         }},
    };
    for (const auto& c : cases) {
        DesktopFixture f(ThreeDisks());
        f.script.Expect(QStringLiteral("TFmChoose"), [&f, &c](QWidget*) {
            ASSERT_FALSE(f.Program().Chooser().DriveList->selectedItems().isEmpty());
            c.leave(f.Program().Chooser());
        });
        ASSERT_TRUE(f.RunStartUp()) << c.how;
        EXPECT_EQ(f.Program().Outcome(), StartUpOutcome::Ended) << c.how;
        ASSERT_FALSE(f.ends.isEmpty()) << c.how;
        for (int status : f.ends) EXPECT_EQ(status, kExitNormal) << c.how;
        EXPECT_FALSE(f.Program().Chooser().isVisible()) << c.how;
        EXPECT_FALSE(f.State().DeviceChosen) << c.how;
        EXPECT_EQ(f.ExclusiveOpens(), 0) << c.how;
        EXPECT_EQ(f.Storage().OpenHandleCount(), 0u) << c.how;
        EXPECT_TRUE(f.Program().Main().lbDiskName->text().isEmpty()) << c.how;
        EXPECT_TRUE(f.Program().Main().Log_Details->toPlainText().isEmpty()) << c.how;
    }
}

TEST(StartUpGui, ADiskBelow65535SectorsIsRefusedByContinueAndByDoubleClick) {
    sim::Machine m;
    m.disks = {MakeDisk(0, 65535), MakeDisk(1, 65534)};
    DesktopFixture f(std::move(m));
    auto expectRefusal = [&f](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), kSmallDiskText);
        EXPECT_EQ(box->windowTitle(), kSmallDiskCaption);
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        EXPECT_TRUE(f.Program().Chooser().isVisible());
        box->button(QMessageBox::Ok)->click();
    };
    f.script.Expect(QStringLiteral("TFmChoose"), [&f](QWidget*) {
        windows::TFmChoose& c = f.Program().Chooser();
        QTreeWidgetItem* small = c.DriveList->topLevelItem(1);
        ASSERT_EQ(c.DriveList->currentItem(), small);
        ClickContinue(c);  // refused: the box is answered by the next step
        EXPECT_TRUE(c.isVisible());
        EXPECT_FALSE(f.State().DeviceChosen);
        EXPECT_EQ(f.State().SelectedDevice, -1);
        EXPECT_EQ(c.DriveList->selectedItems(), QList<QTreeWidgetItem*>{small});

        const QPoint smallRow = c.DriveList->visualItemRect(small).center();
        QTest::mouseDClick(c.DriveList->viewport(), Qt::LeftButton, {}, smallRow);
        EXPECT_TRUE(c.isVisible());
        EXPECT_FALSE(f.State().DeviceChosen);

        // Exactly 65535 sectors is large enough.
        const QPoint firstRow = c.DriveList->visualItemRect(c.DriveList->topLevelItem(0)).center();
        QTest::mouseClick(c.DriveList->viewport(), Qt::LeftButton, {}, firstRow);
        ClickContinue(c);
    });
    f.script.Expect(QStringLiteral("QMessageBox"), expectRefusal);
    f.script.Expect(QStringLiteral("QMessageBox"), expectRefusal);
    ASSERT_TRUE(f.RunStartUp());
    EXPECT_EQ(f.Program().Outcome(), StartUpOutcome::Ready);
    EXPECT_EQ(f.State().SelectedDevice, 1);
    EXPECT_TRUE(f.ends.isEmpty());
}

TEST(StartUpGui, ContinueFollowsTheSelectionOfClicksOnly) {
    DesktopFixture f(ThreeDisks());
    f.script.Expect(QStringLiteral("TFmChoose"), [&f](QWidget*) {
        windows::TFmChoose& c = f.Program().Chooser();
        QWidget* viewport = c.DriveList->viewport();
        // A click below the last row clears the selection and turns Continue off.
        QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(40, viewport->height() - 4));
        EXPECT_TRUE(c.DriveList->selectedItems().isEmpty());
        EXPECT_FALSE(c.btContinue->isEnabled());
        // Enter now chooses nothing.
        QTest::keyClick(c.DriveList, Qt::Key_Return);
        EXPECT_TRUE(c.isVisible());
        EXPECT_FALSE(f.State().DeviceChosen);
        // The keyboard may select a row; Continue stays as the last click left it.
        QTest::keyClick(c.DriveList, Qt::Key_Up);
        QTest::keyClick(c.DriveList, Qt::Key_Space);
        EXPECT_FALSE(c.btContinue->isEnabled());
        // A click on a row turns it on again.
        const QPoint row1 = c.DriveList->visualItemRect(c.DriveList->topLevelItem(1)).center();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, row1);
        EXPECT_TRUE(c.btContinue->isEnabled());
        EXPECT_EQ(c.DriveList->selectedItems(), QList<QTreeWidgetItem*>{c.DriveList->topLevelItem(1)});
        // Double click on a row accepts it.
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, row1);
    });
    ASSERT_TRUE(f.RunStartUp());
    EXPECT_EQ(f.Program().Outcome(), StartUpOutcome::Ready);
    EXPECT_EQ(f.State().SelectedDevice, 2);
}

TEST(StartUpGui, WithNoDiskOnlyLeavingIsPossible) {
    DesktopFixture f(sim::Machine{});
    f.script.Expect(QStringLiteral("TFmChoose"), [&f](QWidget*) {
        windows::TFmChoose& c = f.Program().Chooser();
        EXPECT_EQ(c.DriveList->topLevelItemCount(), 0);
        EXPECT_EQ(c.StatusText(), QStringLiteral("找到磁盘:        0"));
        EXPECT_FALSE(c.btContinue->isEnabled());
        QTest::keyClick(c.DriveList, Qt::Key_Return);
        EXPECT_TRUE(c.isVisible());
        EXPECT_TRUE(f.ends.isEmpty());
        QTest::keyClick(c.DriveList, Qt::Key_Escape);
    });
    ASSERT_TRUE(f.RunStartUp());
    EXPECT_EQ(f.Program().Outcome(), StartUpOutcome::Ended);
    EXPECT_FALSE(f.ends.isEmpty());
}

TEST(StartUpGui, TheDiskManagementLinkStartsTheDesktopsDiskUtilityAndKeepsTheChooserOpen) {
    DesktopFixture f(ThreeDisks());
    f.script.Expect(QStringLiteral("TFmChoose"), [&f](QWidget*) {
        windows::TFmChoose& c = f.Program().Chooser();
        EXPECT_EQ(c.lbDiskManagement->text(), QStringLiteral("打开磁盘管理控制台"));
        EXPECT_EQ(c.lbDiskManagement->TextColour(), QColor(0, 0, 255));
        EXPECT_TRUE(c.lbDiskManagement->font().underline());
        EXPECT_EQ(c.lbDiskManagement->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(c.lbDiskManagement, Qt::LeftButton);
        ASSERT_EQ(f.launcher.started.size(), 1u);
        EXPECT_EQ(f.launcher.started[0].program, QStringLiteral("/usr/bin/gnome-disks"));
        EXPECT_TRUE(c.isVisible());
        ClickContinue(c);
    });
    ASSERT_TRUE(f.RunStartUp());
    EXPECT_EQ(f.Program().Outcome(), StartUpOutcome::Ready);
}

TEST(StartUpGui, ADiskHeldByAnotherProgramEndsWithTheOpenErrorBox) {
    sim::Machine m = ThreeDisks();
    m.disks[2].inUse = true;
    DesktopFixture f(std::move(m));
    const std::size_t othersHandles = f.Storage().OpenHandleCount();
    f.script.Expect(QStringLiteral("TFmChoose"), [&f](QWidget*) { ClickContinue(f.Program().Chooser()); });
    f.script.Expect(QStringLiteral("QMessageBox"), [&f](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), kOpenErrorPrefix + QString::fromStdU16String(f.Storage().FormatMessageW(
                                                      platform::ERROR_SHARING_VIOLATION)));
        EXPECT_EQ(box->windowTitle(), QStringLiteral("错误"));
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_TRUE(f.ends.isEmpty());  // the program ends only once the box is closed
        box->button(QMessageBox::Ok)->click();
    });
    ASSERT_TRUE(f.RunStartUp());
    EXPECT_EQ(f.Program().Outcome(), StartUpOutcome::Ended);
    EXPECT_EQ(f.ends, QList<int>{kExitFatal});
    EXPECT_FALSE(f.State().DeviceHandle.Valid());
    EXPECT_EQ(f.Storage().OpenHandleCount(), othersHandles);
    EXPECT_TRUE(f.Program().Main().StatusPanel(1).isEmpty());
    EXPECT_TRUE(f.Program().Main().Log_Details->toPlainText().isEmpty());
}

TEST(StartUpGui, AFatalAnswerDuringTheEnumerationEndsBeforeTheChooser) {
    sim::Machine m = ThreeDisks();
    m.disks[1].deviceQueryError = 1117;
    DesktopFixture f(std::move(m));
    f.script.Expect(QStringLiteral("QMessageBox"), [](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->text().startsWith(QStringLiteral("访问设备时出错: "))) << box->text().toStdString();
        EXPECT_EQ(box->windowTitle(), QStringLiteral("错误"));
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        box->button(QMessageBox::Ok)->click();
    });
    ASSERT_TRUE(f.RunStartUp());
    EXPECT_EQ(f.Program().Outcome(), StartUpOutcome::Ended);
    EXPECT_EQ(f.ends, QList<int>{kExitFatal});
    EXPECT_EQ(f.chooserShows, 0);
    EXPECT_EQ(f.ExclusiveOpens(), 0);
}

// The program's own way of ending leaves the modal loops and the
// application's loop, with the fatal status after an error box.
TEST(StartUpGui, EndingLeavesEveryEventLoopWithTheExitStatus) {
    // Should the program fail to leave, the test ends the loop itself.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(10000);
    {
        DesktopFixture f(ThreeDisks());
        f.quitForReal = true;
        f.script.Expect(QStringLiteral("TFmChoose"),
                        [&f](QWidget*) { QTest::keyClick(f.Program().Chooser().DriveList, Qt::Key_Escape); });
        QTimer::singleShot(0, [&f] { f.Program().Start(); });
        EXPECT_EQ(QCoreApplication::exec(), kExitNormal);
        EXPECT_EQ(f.Program().Outcome(), StartUpOutcome::Ended);
        EXPECT_FALSE(f.Program().Chooser().isVisible());
    }
    {
        sim::Machine m = ThreeDisks();
        m.disks[2].inUse = true;
        DesktopFixture f(std::move(m));
        f.quitForReal = true;
        f.script.Expect(QStringLiteral("TFmChoose"), [&f](QWidget*) { ClickContinue(f.Program().Chooser()); });
        f.script.Expect(QStringLiteral("QMessageBox"),
                        [](QWidget* w) { qobject_cast<QMessageBox*>(w)->button(QMessageBox::Ok)->click(); });
        QTimer::singleShot(0, [&f] { f.Program().Start(); });
        EXPECT_EQ(QCoreApplication::exec(), kExitFatal);
        EXPECT_EQ(f.Program().Outcome(), StartUpOutcome::Ended);
    }
}

}  // namespace
}  // namespace cendrix
