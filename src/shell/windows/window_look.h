// Small pieces of the windows' look shared by all of them: placing a window,
// white bands, text colours.
#pragma once

class QColor;
class QWidget;

namespace cendrix::windows {

// Moves a top-level window so that it stands in the middle of the screen's
// available area.
void CentreOnScreen(QWidget* window);

// Gives a widget a white background of its own.
void FillWhite(QWidget* widget);

// The colour a label (or any widget) draws its text in.
void SetTextColour(QWidget* widget, const QColor& colour);

}  // namespace cendrix::windows
