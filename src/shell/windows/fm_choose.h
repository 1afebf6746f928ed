// The device chooser: the modal dialog in which the user picks the disk the
// rest of the run acts on. Closing it without an accepted disk ends the
// program.
#pragma once

#include <QDialog>
#include <QLocale>

#include "shell/disk_utility.h"
#include "shell/windows/launcher.h"

class QLabel;
class QPushButton;
class QStatusBar;
class QTreeWidget;

namespace cendrix {
struct AppState;
}

namespace cendrix::windows {

class LinkLabel;

class TFmChoose : public QDialog {
    Q_OBJECT
public:
    TFmChoose(AppState& state, const QLocale& locale, Launcher& launcher, ProgramEnd end,
              ExecutableFinder findExecutable, QWidget* parent = nullptr);

    // Fills the list from the device table (once), shows the dialog modally
    // and answers whether a disk was accepted.
    bool ChooseDevice();

    // The single panel of the status bar.
    void SetStatusText(const QString& text);
    QString StatusText() const;

    QLabel* lbProgramName;
    QTreeWidget* DriveList;
    LinkLabel* lbDiskManagement;
    QLabel* Label2;
    QLabel* lbCopyright;
    QPushButton* btContinue;
    QStatusBar* StatusBar;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Every way of closing the dialog ends here.
    void done(int result) override;

private:
    void FormShow();
    void FillList();
    void DriveListClick();
    void DriveListDblClick();
    void btContinueClick();
    void lbDiskManagementClick();
    void FormClose();
    // Ends the program; the dialog closes with it.
    void EndApplication();

    AppState& state_;
    QLocale locale_;
    Launcher& launcher_;
    ProgramEnd end_;
    ExecutableFinder findExecutable_;
    QLabel* statusText_;
    bool filled_ = false;
    bool ended_ = false;
};

}  // namespace cendrix::windows
