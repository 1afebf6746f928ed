#include "shell/logs.h"

#include <gtest/gtest.h>

#include "shell/app_state.h"
#include "support/recording_view.h"

namespace cendrix {
namespace {

using testing::FakeClock;
using testing::RecordingLogView;

struct LogsTest : ::testing::Test {
    AppState state;
    RecordingLogView view;
    FakeClock clock;
    Logs logs{view, clock, state, testing::TestLocale()};
};

TEST_F(LogsTest, TimestampedPanesPutDateTimeAndThreeBlanksBeforeTheText) {
    logs.AddFormatLog(QStringLiteral("正在格式化..."));
    logs.AddFormatLog(QString());
    EXPECT_EQ(view.Lines(Pane::Format),
              (QStringList{QStringLiteral("2024/12/17 09:05:03   正在格式化..."),
                           QStringLiteral("2024/12/17 09:05:03   ")}));
}

TEST_F(LogsTest, ReportPanesTakeTheTextUnchanged) {
    logs.AddDetailsLine(QStringLiteral(" "));
    logs.AddDetailsLine(QString());
    logs.AddSmartLine(QStringLiteral("x"));
    EXPECT_EQ(view.Lines(Pane::Details), (QStringList{QStringLiteral(" "), QString()}));
    EXPECT_EQ(view.Lines(Pane::Smart), QStringList{QStringLiteral("x")});
}

TEST_F(LogsTest, DebugLogIsWrittenOnlyInDebugMode) {
    logs.AddDebugLog(QStringLiteral("hidden"));
    EXPECT_TRUE(view.Lines(Pane::Debug).isEmpty());
    state.DebugMode = true;
    logs.AddDebugLog(QStringLiteral("调试模式激活"));
    EXPECT_EQ(view.Lines(Pane::Debug), QStringList{QStringLiteral("2024/12/17 09:05:03   调试模式激活")});
}

TEST_F(LogsTest, RawFormatLineHasNoTimestamp) {
    logs.AppendFormatLogLine(QStringLiteral("无效句柄"));
    EXPECT_EQ(view.Lines(Pane::Format), QStringList{QStringLiteral("无效句柄")});
}

TEST(DateTimeText, FollowsTheRegionalShortDateAndLongTimeFormats) {
    const QDateTime moment(QDate(2024, 12, 17), QTime(9, 5, 3));
    EXPECT_EQ(DateTimeText(moment, testing::TestLocale()), QStringLiteral("2024/12/17 09:05:03"));
    // No time-zone field slips in from the toolkit's long time formats.
    EXPECT_EQ(DateTimeText(moment, QLocale(QLocale::English, QLocale::UnitedStates)),
              QStringLiteral("12/17/24 9:05:03 AM"));
    EXPECT_EQ(DateTimeText(moment, QLocale(QLocale::German, QLocale::Germany)),
              QStringLiteral("17.12.24 09:05:03"));
}

TEST(DateTimeText, LeavesTheTimeOutAtExactlyMidnight) {
    const QLocale locale = testing::TestLocale();
    EXPECT_EQ(DateTimeText(QDateTime(QDate(2024, 12, 17), QTime(0, 0, 0)), locale),
              QStringLiteral("2024/12/17"));
    EXPECT_EQ(DateTimeText(QDateTime(QDate(2024, 12, 17), QTime(0, 0, 1)), locale),
              QStringLiteral("2024/12/17 00:00:01"));
}

}  // namespace
}  // namespace cendrix
