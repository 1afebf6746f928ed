// The fonts and the look each window takes when it is created.
#pragma once

#include <QFont>
#include <QStringList>

class QWidget;

namespace cendrix::windows {

// Whether the system has the newer desktop fonts and themes the two
// adjustments below look for. Windows from Vista on; every other desktop
// this program runs on.
bool IsVistaOrLater();

// The desktop's general font (the font of icon titles and dialogs); the
// application's default font when the desktop names none.
void SetIconTitleFont(QFont& font);
void SetDefaultGuiFont(QFont& font);

// Calibri two points larger when Calibri is installed and the font is not
// Calibri already (in any mix of capitals); otherwise nothing changes.
void SetCalibriFont(QFont& font);
void SetCalibriFont(QFont& font, const QStringList& installedFamilies);

// The explorer look for a list. Qt's Windows style already draws item views
// that way and other desktops have no such theme, so there is nothing to do.
void SetExplorerTheme(QWidget* window);

// The fixed-pitch font of the two reports, whose columns rely on it:
// Courier New 9 pt when installed, else the desktop's fixed-pitch font.
QFont ReportFont();

// A font of the windows' design: Tahoma when installed, else the family of
// `base`, at the given size.
QFont DesignFont(const QFont& base, qreal pointSize, bool bold);

}  // namespace cendrix::windows
