// The program's dialogs: the one question dialog (ShowTaskMessage), plain
// message boxes, and the error box after which the program ends.
#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QString>

#include "shell/task_message.h"
#include "shell/windows/launcher.h"

class QLabel;

namespace cendrix::windows {

// A modal question dialog: the title as its caption, the instruction as its
// main line, the content below it, an icon, and the buttons of the flags.
class TaskMessageDialog : public QDialog {
    Q_OBJECT
public:
    TaskMessageDialog(QWidget* owner, const QString& title, const QString& instruction,
                      const QString& content, int icon, int buttons);

    // The result code of the button pressed; Cancel when the dialog was
    // closed without one.
    int Result() const { return result_; }
    TaskIconKind IconKind() const { return iconKind_; }

private:
    int result_ = kTaskResultDismissed;
    TaskIconKind iconKind_ = TaskIconKind::None;
};

// Shows the question dialog modally and returns the code of the button
// pressed: 1 OK, 2 Cancel, 3 Close, 4 Retry, 6 Yes, 7 No; 0 when nothing
// could be shown (no desktop application, or it is shutting down).
int ShowTaskMessage(QWidget* owner, const QString& title, const QString& instruction,
                    const QString& content, int icon, int buttons);

// A modal message box with one OK button; returns when it is closed.
void ShowMessageBox(QWidget* owner, QMessageBox::Icon icon, const QString& text,
                    const QString& caption);

// The error box (error icon, one OK button) after which the program ends
// with the fatal exit status.
void FatalError(const QString& text, const QString& caption, const ProgramEnd& end);

}  // namespace cendrix::windows
