// The debug window: one memo that receives the debug log. The start-up shows
// it in debug mode, first beside the main window, then modally.
#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace cendrix::windows {

class TFmDebug : public QDialog {
    Q_OBJECT
public:
    explicit TFmDebug(QWidget* parent = nullptr);

    QPlainTextEdit* Memo1;
};

}  // namespace cendrix::windows
