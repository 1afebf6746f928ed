// A label that tells its owner about the mouse: entering, leaving, buttons
// pressed and released on it, and a click (a left press and release on it).
#pragma once

#include <QLabel>

namespace cendrix::windows {

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent = nullptr);

    // The text colour (the label's foreground).
    void SetTextColour(const QColor& colour);
    QColor TextColour() const;

signals:
    void mouseEntered();
    void mouseLeft();
    void mousePressed(Qt::MouseButton button);
    void mouseReleased(Qt::MouseButton button);
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool leftPressed_ = false;
};

}  // namespace cendrix::windows
