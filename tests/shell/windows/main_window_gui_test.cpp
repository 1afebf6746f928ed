// The main window once a disk is chosen: its pages and controls, how it
// resizes, the progress bar's two states, the footer link and the close.
#include <QCheckBox>
#include <QEnterEvent>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include "desktop_fixture.h"
#include "shell/project_links.h"
#include "shell/windows/link_label.h"

namespace cendrix {
namespace {

using namespace testing;

struct MainWindowGui : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(f.StartWithLastDisk()); }
    windows::TFmMain& Main() { return f.Program().Main(); }

    DesktopFixture f{ThreeDisks()};
};

// Where a widget stands inside the window, in window coordinates.
QRect InWindow(QWidget* widget) {
    return QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
}

TEST_F(MainWindowGui, HasItsPagesAndControlsInTheirFirstState) {
    windows::TFmMain& m = Main();
    EXPECT_EQ(m.size(), QSize(768, 499));
    EXPECT_EQ(m.minimumSize(), QSize(750, 450));
    ASSERT_EQ(m.pages->count(), 3);
    EXPECT_EQ(m.pages->tabText(0), QStringLiteral("设备详细信息"));
    EXPECT_EQ(m.pages->tabText(1), QStringLiteral("低级格式化"));
    EXPECT_EQ(m.pages->tabText(2), QStringLiteral("S.M.A.R.T."));
    EXPECT_EQ(m.pages->currentIndex(), 0);
    EXPECT_TRUE(m.lbDiskName->font().bold());

    for (QPlainTextEdit* memo : {m.Log_Details, m.Log_BenchMark, m.Log_Smart}) {
        EXPECT_TRUE(memo->isReadOnly()) << memo->objectName().toStdString();
        EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::NoWrap) << memo->objectName().toStdString();
        EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn) << memo->objectName().toStdString();
    }
    // The reports' columns need a fixed-pitch font.
    for (QPlainTextEdit* report : {m.Log_Details, m.Log_Smart}) {
        EXPECT_TRUE(QFontInfo(report->font()).fixedPitch()) << report->objectName().toStdString();
        EXPECT_EQ(report->fontMetrics().horizontalAdvance(QStringLiteral("iiii")),
                  report->fontMetrics().horizontalAdvance(QStringLiteral("MMMM")));
    }

    EXPECT_EQ(m.cbQuickWipe->text(), QStringLiteral("执行快速擦除 (只删除分区和 MBR)"));
    EXPECT_FALSE(m.cbQuickWipe->isChecked());
    EXPECT_EQ(m.btStop->text(), QStringLiteral("停止"));
    EXPECT_FALSE(m.btStop->isEnabled());
    EXPECT_EQ(m.btRunBenchmarks->text(), QStringLiteral("格式化此设备"));
    EXPECT_TRUE(m.btRunBenchmarks->isEnabled());
    EXPECT_TRUE(m.btRunBenchmarks->isDefault());
    EXPECT_EQ(m.btGetSmart->text(), QStringLiteral("获取 SMART 数据"));
    EXPECT_TRUE(m.btGetSmart->isEnabled());
    EXPECT_TRUE(m.btGetSmart->isDefault());
    EXPECT_EQ(m.btRunBenchmarks->size(), QSize(169, 26));
    EXPECT_EQ(m.btStop->size(), QSize(94, 26));
    EXPECT_EQ(m.btGetSmart->size(), QSize(169, 26));
    auto* group = m.findChild<QGroupBox*>();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), QStringLiteral("当前任务进度"));
    EXPECT_EQ(m.pbCurrentTask->parentWidget(), group);
    EXPECT_EQ(m.pbCurrentTask->minimum(), 0);
    EXPECT_EQ(m.pbCurrentTask->maximum(), 100);
    EXPECT_FALSE(m.ProgressPaused());
    for (QLabel* label : {m.lbCurrentPercent, m.lbSpeed, m.lbCurrentPosition}) {
        EXPECT_TRUE(label->text().isEmpty());
        EXPECT_EQ(label->font().pointSize(), 16);
    }
}

TEST_F(MainWindowGui, ActionControlsAreSwitchedTogether) {
    windows::TFmMain& m = Main();
    m.SetActionsEnabled(false);
    EXPECT_FALSE(m.btRunBenchmarks->isEnabled());
    EXPECT_FALSE(m.btGetSmart->isEnabled());
    EXPECT_FALSE(m.cbQuickWipe->isEnabled());
    EXPECT_FALSE(m.btStop->isEnabled());
    m.SetActionsEnabled(true);
    EXPECT_TRUE(m.btRunBenchmarks->isEnabled());
    EXPECT_TRUE(m.btGetSmart->isEnabled());
    EXPECT_TRUE(m.cbQuickWipe->isEnabled());
}

TEST_F(MainWindowGui, ResizingKeepsTheControlsAnchoredAndGrowsTheMemos) {
    windows::TFmMain& m = Main();
    m.pages->setCurrentIndex(1);
    QTest::qWait(20);
    auto farEdges = [&m](QWidget* w) {
        const QRect r = InWindow(w);
        return QPoint(m.width() - r.right(), m.height() - r.bottom());
    };
    const QPoint format = farEdges(m.btRunBenchmarks), stop = farEdges(m.btStop), quick = farEdges(m.cbQuickWipe);
    const QRect percent = InWindow(m.lbCurrentPercent), position = InWindow(m.lbCurrentPosition);
    const int percentToBottom = m.height() - percent.bottom();
    const int logHeight = m.Log_BenchMark->height(), logWidth = m.Log_BenchMark->width();
    const QSize before = m.size();

    m.resize(1100, 760);
    QTest::qWait(20);
    EXPECT_EQ(farEdges(m.btRunBenchmarks), format);
    EXPECT_EQ(farEdges(m.btStop), stop);
    EXPECT_EQ(farEdges(m.cbQuickWipe), quick);
    EXPECT_EQ(InWindow(m.lbCurrentPercent).left(), percent.left());
    EXPECT_EQ(m.height() - InWindow(m.lbCurrentPercent).bottom(), percentToBottom);
    EXPECT_EQ(InWindow(m.lbCurrentPosition).left(), position.left());
    EXPECT_EQ(m.Log_BenchMark->height(), logHeight + (760 - before.height()));
    EXPECT_EQ(m.Log_BenchMark->width(), logWidth + (1100 - before.width()));

    // At the smallest size nothing overlaps.
    m.resize(m.minimumSize());
    QTest::qWait(20);
    EXPECT_GE(m.Log_BenchMark->height(), 80);
    EXPECT_LE(InWindow(m.pbCurrentTask).bottom(), InWindow(m.cbQuickWipe).top());
    EXPECT_LE(InWindow(m.lbSpeed).right(), InWindow(m.cbQuickWipe).left());
    EXPECT_LE(InWindow(m.btStop).right(), InWindow(m.btRunBenchmarks).left());
    EXPECT_LE(InWindow(m.cbQuickWipe).bottom(), InWindow(m.btStop).top());
}

TEST_F(MainWindowGui, ThePausedProgressBarIsDrawnInAnotherColour) {
    windows::TFmMain& m = Main();
    m.pages->setCurrentIndex(1);
    m.SetProgressPosition(50);
    QTest::qWait(20);
    auto chunkColour = [&m] {
        const QImage image = m.pbCurrentTask->grab().toImage();
        return image.pixelColor(image.width() / 4, image.height() / 2);
    };
    auto troughColour = [&m] {
        const QImage image = m.pbCurrentTask->grab().toImage();
        return image.pixelColor(image.width() * 3 / 4, image.height() / 2);
    };
    const QColor normal = chunkColour();
    m.SetProgressPaused(true);
    EXPECT_TRUE(m.ProgressPaused());
    const QColor paused = chunkColour();
    EXPECT_NE(normal, paused);
    // Both states are drawn as a filled bar over an unfilled rest.
    EXPECT_NE(paused, troughColour());
    m.SetProgressPaused(false);
    EXPECT_FALSE(m.ProgressPaused());
    EXPECT_EQ(chunkColour(), normal);
    EXPECT_NE(normal, troughColour());
}

TEST_F(MainWindowGui, FooterLinkChangesColourWithTheMouseAndOpensTheProjectPage) {
    windows::LinkLabel* link = Main().lbCopyright;
    const QColor grey(128, 128, 128), blue(0, 0, 255), red(255, 0, 0);
    EXPECT_EQ(link->TextColour(), grey);
    EXPECT_TRUE(link->font().bold());
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);

    const QPointF inside(5, 5);
    QEnterEvent enter(inside, inside, link->mapToGlobal(inside));
    QCoreApplication::sendEvent(link, &enter);
    EXPECT_EQ(link->TextColour(), blue);
    QTest::mousePress(link, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(link->TextColour(), blue);
    QTest::mouseRelease(link, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(link->TextColour(), blue);
    EXPECT_TRUE(f.launcher.urls.isEmpty());
    QTest::mousePress(link, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(link->TextColour(), red);
    EXPECT_TRUE(f.launcher.urls.isEmpty());
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(link->TextColour(), grey);
    EXPECT_EQ(f.launcher.urls, QList<QUrl>{QUrl(kProjectWebPage)});
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(link, &enter);
    QCoreApplication::sendEvent(link, &leave);
    EXPECT_EQ(link->TextColour(), grey);
    EXPECT_EQ(f.launcher.urls.size(), 1);
}

TEST_F(MainWindowGui, ClosingTheWindowClosesTheDiskOnce) {
    ASSERT_TRUE(f.State().DeviceHandle.Valid());
    const platform::Handle handle = f.State().DeviceHandle.Get();
    auto closesOfHandle = [this, handle] {
        int n = 0;
        for (const sim::Request& r : f.Storage().RequestsOf(sim::Request::Kind::Close)) n += r.handle == handle;
        return n;
    };
    EXPECT_EQ(closesOfHandle(), 0);
    EXPECT_TRUE(Main().close());
    EXPECT_FALSE(Main().isVisible());
    EXPECT_FALSE(f.State().DeviceHandle.Valid());
    EXPECT_EQ(closesOfHandle(), 1);
    EXPECT_EQ(f.Storage().OpenHandleCount(), 0u);
    // Closing the main window ends the program, whatever other window is open.
    EXPECT_EQ(f.ends, QList<int>{windows::kExitNormal});
}

}  // namespace
}  // namespace cendrix
