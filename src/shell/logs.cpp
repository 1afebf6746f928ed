#include "shell/logs.h"

#include <QRegularExpression>

#include "shell/app_state.h"
#include "shell/clock.h"

namespace cendrix {
namespace {

// Qt's long time formats carry a time-zone field ("t") that the regional
// long time format of a desktop does not show; drop it and its blank.
QString LongTimeFormat(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
    format.replace(zone, QStringLiteral(" "));
    return format.trimmed();
}

}  // namespace

QString DateTimeText(const QDateTime& moment, const QLocale& locale) {
    const QString date = locale.toString(moment.date(), QLocale::ShortFormat);
    const QTime time = moment.time();
    if (time == QTime(0, 0)) return date;
    return date + QLatin1Char(' ') + locale.toString(time, LongTimeFormat(locale));
}

Logs::Logs(LogView& view, Clock& clock, const AppState& state, QLocale locale)
    : view_(view), clock_(clock), state_(state), locale_(std::move(locale)) {}

QString Logs::NowText() { return DateTimeText(clock_.LocalNow(), locale_); }

QString Logs::Stamped(const QString& text) { return NowText() + QStringLiteral("   ") + text; }

void Logs::AddFormatLog(const QString& text) { view_.AppendLine(Pane::Format, Stamped(text)); }

void Logs::AddDebugLog(const QString& text) {
    if (state_.DebugMode) view_.AppendLine(Pane::Debug, Stamped(text));
}

void Logs::AddDetailsLine(const QString& text) { view_.AppendLine(Pane::Details, text); }

void Logs::AddSmartLine(const QString& text) { view_.AppendLine(Pane::Smart, text); }

void Logs::AppendFormatLogLine(const QString& text) { view_.AppendLine(Pane::Format, text); }

}  // namespace cendrix
