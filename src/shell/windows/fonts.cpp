#include "shell/windows/fonts.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QOperatingSystemVersion>

namespace cendrix::windows {

namespace {

bool Installed(const QString& family) {
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

}  // namespace

bool IsVistaOrLater() {
#if defined(Q_OS_WIN)
    return QOperatingSystemVersion::current() >= QOperatingSystemVersion::WindowsVista;
#else
    return true;
#endif
}

void SetDefaultGuiFont(QFont& font) { font = QGuiApplication::font(); }

void SetIconTitleFont(QFont& font) {
    const QFont general = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (general.family().isEmpty()) {
        SetDefaultGuiFont(font);
        return;
    }
    font = general;
}

void SetCalibriFont(QFont& font) { SetCalibriFont(font, QFontDatabase::families()); }

void SetCalibriFont(QFont& font, const QStringList& installedFamilies) {
    if (!IsVistaOrLater()) return;
    const QString calibri = QStringLiteral("Calibri");
    if (font.family().compare(calibri, Qt::CaseInsensitive) == 0) return;
    if (!installedFamilies.contains(calibri, Qt::CaseInsensitive)) return;
    if (font.pointSizeF() > 0) {
        font.setPointSizeF(font.pointSizeF() + 2);
    } else {
        // A font sized in pixels: two points at the usual 96 dots per inch.
        font.setPixelSize(font.pixelSize() + 3);
    }
    font.setFamily(calibri);
}

void SetExplorerTheme(QWidget* window) { (void)window; }

QFont ReportFont() {
    QFont font = Installed(QStringLiteral("Courier New"))
                     ? QFont(QStringLiteral("Courier New"))
                     : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(9);
    return font;
}

QFont DesignFont(const QFont& base, qreal pointSize, bool bold) {
    QFont font = base;
    if (Installed(QStringLiteral("Tahoma"))) font.setFamily(QStringLiteral("Tahoma"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

}  // namespace cendrix::windows
