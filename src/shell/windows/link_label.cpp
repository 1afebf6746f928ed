#include "shell/windows/link_label.h"

#include <QMouseEvent>

#include "shell/windows/window_look.h"

namespace cendrix::windows {

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) {}

void LinkLabel::SetTextColour(const QColor& colour) { windows::SetTextColour(this, colour); }

QColor LinkLabel::TextColour() const { return palette().color(QPalette::WindowText); }

void LinkLabel::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    emit mouseEntered();
}

void LinkLabel::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    emit mouseLeft();
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) leftPressed_ = true;
    emit mousePressed(event->button());
    event->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = event->button() == Qt::LeftButton && leftPressed_ &&
                       rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton) leftPressed_ = false;
    emit mouseReleased(event->button());
    event->accept();
    if (click) emit clicked();
}

}  // namespace cendrix::windows
