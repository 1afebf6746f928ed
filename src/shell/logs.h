// The four log panes and the sinks that write them: the format log, the
// debug log (only in debug mode), the device details report and the
// S.M.A.R.T. report. Each call appends exactly one line; nothing is ever
// removed.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace cendrix {

class Clock;
struct AppState;

enum class Pane { Format, Debug, Details, Smart };

// Where the lines go: the windows' memos, the terminal, or a test's record.
class LogView {
public:
    virtual ~LogView() = default;
    virtual void AppendLine(Pane pane, const QString& line) = 0;
};

// The local date and time as the user's regional settings write them: the
// short date, a blank and the long time; the time is left out at exactly
// midnight.
QString DateTimeText(const QDateTime& moment, const QLocale& locale);

class Logs {
public:
    Logs(LogView& view, Clock& clock, const AppState& state, QLocale locale = QLocale());

    // Timestamped: date-time text, three blanks, the text.
    void AddFormatLog(const QString& text);
    void AddDebugLog(const QString& text);  // only while DebugMode is set
    // Plain: the text unchanged.
    void AddDetailsLine(const QString& text);
    void AddSmartLine(const QString& text);
    // A format-log line written as it is, without a timestamp.
    void AppendFormatLogLine(const QString& text);

    // The timestamp text of the present moment.
    QString NowText();
    const QLocale& Locale() const { return locale_; }

private:
    QString Stamped(const QString& text);

    LogView& view_;
    Clock& clock_;
    const AppState& state_;
    QLocale locale_;
};

}  // namespace cendrix
