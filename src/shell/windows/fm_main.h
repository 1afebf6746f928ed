// The main window: the chosen disk's caption, the three pages (device
// details, low-level format, S.M.A.R.T.), the footer link and the status
// bar. It forwards its events to MainWindowEvents and shows what it is told.
#pragma once

#include <QMainWindow>

class QCheckBox;
class QCloseEvent;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTabWidget;

namespace cendrix::windows {

class LinkLabel;

// Where the main window's events go.
class MainWindowEvents {
public:
    virtual ~MainWindowEvents() = default;
    virtual void FormShow() = 0;  // the first showing of the window
    // The window is asked to close; `event` may be ignored to keep it open.
    virtual void FormClose(QCloseEvent* event) = 0;
    virtual void btRunBenchmarksClick() = 0;
    virtual void btStopClick() = 0;
    virtual void btGetSmartClick() = 0;
    virtual void lbCopyrightClick() = 0;
};

class TFmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFmMain(MainWindowEvents& events, QWidget* parent = nullptr);

    // Status bar panels: 0 the product, 1 the chosen disk, 2 empty.
    void SetStatusPanel(int panel, const QString& text);
    QString StatusPanel(int panel) const;

    // The three action controls together: btRunBenchmarks, btGetSmart,
    // cbQuickWipe, in that order.
    void SetActionsEnabled(bool enabled);

    // The progress bar: its position (0..100) and its paused state, drawn in
    // another colour than the normal state.
    void SetProgressPosition(int percent);
    void SetProgressPaused(bool paused);
    bool ProgressPaused() const { return progressPaused_; }

    QLabel* lbDiskName;
    QTabWidget* pages;
    QPlainTextEdit* Log_Details;
    QPlainTextEdit* Log_BenchMark;
    QProgressBar* pbCurrentTask;
    QLabel* lbCurrentPercent;
    QLabel* lbSpeed;
    QLabel* lbCurrentPosition;
    QCheckBox* cbQuickWipe;
    QPushButton* btStop;
    QPushButton* btRunBenchmarks;
    QPlainTextEdit* Log_Smart;
    QPushButton* btGetSmart;
    LinkLabel* lbCopyright;
    QStatusBar* StatusBar;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    QWidget* BuildDetailsPage();
    QWidget* BuildFormatPage();
    QWidget* BuildSmartPage();

    void lbCopyrightMouseEnter();
    void lbCopyrightMouseLeave();
    void lbCopyrightMouseDown(Qt::MouseButton button);
    void lbCopyrightMouseUp(Qt::MouseButton button);

    MainWindowEvents& events_;
    QLabel* panels_[3] = {};
    bool shown_ = false;
    bool progressPaused_ = false;
};

}  // namespace cendrix::windows
