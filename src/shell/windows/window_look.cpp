#include "shell/windows/window_look.h"

#include <QColor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace cendrix::windows {

void CentreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    QRect frame = window->frameGeometry();
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}

void FillWhite(QWidget* widget) {
    widget->setAutoFillBackground(true);
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, Qt::white);
    widget->setPalette(p);
}

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, colour);
    widget->setPalette(p);
}

}  // namespace cendrix::windows
