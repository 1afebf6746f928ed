#include "shell/windows/fm_main.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "shell/windows/fonts.h"
#include "shell/windows/link_label.h"
#include "shell/windows/window_look.h"

namespace cendrix::windows {

namespace {

const QColor kFooterGrey(128, 128, 128);
const QColor kFooterBlue(0, 0, 255);
const QColor kFooterRed(255, 0, 0);

// The progress bar in its two states: green while a wipe runs, amber once
// it has ended, so that a finished or stopped run is told apart at a glance.
const QString kProgressStyle = QStringLiteral(
    "QProgressBar { border: 1px solid #9a9a9a; border-radius: 2px; background: #e9e9e9; }"
    "QProgressBar::chunk { background-color: %1; }");
const QString kNormalChunk = QStringLiteral("#1fa33a");
const QString kPausedChunk = QStringLiteral("#d9a400");

// A status bar panel of a preferred width that may shrink with the window;
// a text too long for it ends in an ellipsis instead of being cut.
class PanelLabel : public QLabel {
public:
    PanelLabel(int width, QWidget* parent) : QLabel(parent), width_(width) {
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        setContentsMargins(4, 0, 4, 0);
    }
    QSize sizeHint() const override { return {width_, QLabel::sizeHint().height()}; }
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = contentsRect();
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(area, static_cast<int>(alignment()),
                         fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
    }

private:
    int width_;
};

QPlainTextEdit* MakeMemo(const QString& name, QWidget* parent) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(name);
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette p = memo->palette();
    p.setColor(QPalette::Base, Qt::white);
    memo->setPalette(p);
    return memo;
}


}  // namespace

TFmMain::TFmMain(MainWindowEvents& events, QWidget* parent) : QMainWindow(parent), events_(events) {
    setObjectName(QStringLiteral("TFmMain"));
    // The window font first, so that every control below inherits it.
    QFont windowFont = font();
    SetIconTitleFont(windowFont);
    SetCalibriFont(windowFont);
    setFont(windowFont);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // Top band: the chosen disk.
    auto* topBand = new QWidget(central);
    topBand->setFixedHeight(32);
    FillWhite(topBand);
    topBand->setObjectName(QStringLiteral("TopBand"));
    lbDiskName = new QLabel(topBand);
    lbDiskName->setObjectName(QStringLiteral("lbDiskName"));
    auto* topLayout = new QHBoxLayout(topBand);
    topLayout->setContentsMargins(15, 6, 15, 0);
    topLayout->addWidget(lbDiskName, 1, Qt::AlignTop);
    layout->addWidget(topBand);

    // Centre: the pages, inside a 10-pixel border.
    pages = new QTabWidget(central);
    pages->setObjectName(QStringLiteral("pages"));
    pages->addTab(BuildDetailsPage(), QStringLiteral("设备详细信息"));
    pages->addTab(BuildFormatPage(), QStringLiteral("低级格式化"));
    pages->addTab(BuildSmartPage(), QStringLiteral("S.M.A.R.T."));
    auto* centre = new QVBoxLayout;
    centre->setContentsMargins(10, 10, 10, 10);
    centre->addWidget(pages);
    layout->addLayout(centre, 1);

    // Footer: the project's link.
    lbCopyright = new LinkLabel(central);
    lbCopyright->setObjectName(QStringLiteral("lbCopyright"));
    lbCopyright->setFont(DesignFont(windowFont, 8, true));
    lbCopyright->SetTextColour(kFooterGrey);
    lbCopyright->setCursor(Qt::PointingHandCursor);
    connect(lbCopyright, &LinkLabel::mouseEntered, this, &TFmMain::lbCopyrightMouseEnter);
    connect(lbCopyright, &LinkLabel::mouseLeft, this, &TFmMain::lbCopyrightMouseLeave);
    connect(lbCopyright, &LinkLabel::mousePressed, this, &TFmMain::lbCopyrightMouseDown);
    connect(lbCopyright, &LinkLabel::mouseReleased, this, &TFmMain::lbCopyrightMouseUp);
    connect(lbCopyright, &LinkLabel::clicked, this, [this] { events_.lbCopyrightClick(); });
    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(12, 0, 10, 0);
    footer->addWidget(lbCopyright, 0, Qt::AlignVCenter);
    footer->addStretch(1);
    auto* footerBox = new QWidget(central);
    footerBox->setFixedHeight(21);
    footerBox->setLayout(footer);
    layout->addWidget(footerBox);
    setCentralWidget(central);

    // Bottom: three panels, the last one right-aligned.
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setFixedHeight(20);
    panels_[0] = new PanelLabel(450, StatusBar);
    panels_[1] = new PanelLabel(450, StatusBar);
    panels_[2] = new PanelLabel(50, StatusBar);
    panels_[2]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    panels_[2]->setFixedWidth(50);
    StatusBar->addWidget(panels_[0], 0);
    StatusBar->addWidget(panels_[1], 1);
    StatusBar->addPermanentWidget(panels_[2], 0);
    setStatusBar(StatusBar);

    FormCreate();

    resize(768, 499);
    setMinimumSize(750, 450);
    CentreOnScreen(this);
}

void TFmMain::FormCreate() {
    pages->setCurrentIndex(0);
    QFont bold = lbDiskName->font();
    bold.setBold(true);
    lbDiskName->setFont(bold);
}

QWidget* TFmMain::BuildDetailsPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tsDetails"));
    Log_Details = MakeMemo(QStringLiteral("Log_Details"), page);
    Log_Details->setFont(ReportFont());
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(Log_Details);
    return page;
}

QWidget* TFmMain::BuildFormatPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tsFormat"));

    Log_BenchMark = MakeMemo(QStringLiteral("Log_BenchMark"), page);
    Log_BenchMark->setMinimumHeight(80);

    auto* progressBox = new QGroupBox(QStringLiteral("当前任务进度"), page);
    progressBox->setObjectName(QStringLiteral("gbProgress"));
    progressBox->setFixedHeight(87);
    pbCurrentTask = new QProgressBar(progressBox);
    pbCurrentTask->setObjectName(QStringLiteral("pbCurrentTask"));
    pbCurrentTask->setRange(0, 100);
    pbCurrentTask->setValue(0);
    pbCurrentTask->setTextVisible(false);
    SetProgressPaused(false);
    auto* progressLayout = new QVBoxLayout(progressBox);
    progressLayout->setContentsMargins(10, 10, 10, 10);
    progressLayout->addWidget(pbCurrentTask);

    const QFont large = DesignFont(font(), 16, false);
    auto makeLarge = [&](const char* name) {
        auto* label = new QLabel(page);
        label->setObjectName(QString::fromLatin1(name));
        label->setFont(large);
        // The texts grow during a run; they must not widen the window.
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        return label;
    };
    lbCurrentPercent = makeLarge("lbCurrentPercent");
    lbSpeed = makeLarge("lbSpeed");
    lbCurrentPosition = makeLarge("lbCurrentPosition");

    cbQuickWipe = new QCheckBox(QStringLiteral("执行快速擦除 (只删除分区和 MBR)"), page);
    cbQuickWipe->setObjectName(QStringLiteral("cbQuickWipe"));
    cbQuickWipe->setChecked(false);

    btStop = new QPushButton(QStringLiteral("停止"), page);
    btStop->setObjectName(QStringLiteral("btStop"));
    btStop->setFixedSize(94, 26);
    btStop->setEnabled(false);
    connect(btStop, &QPushButton::clicked, this, [this] { events_.btStopClick(); });

    btRunBenchmarks = new QPushButton(QStringLiteral("格式化此设备"), page);
    btRunBenchmarks->setObjectName(QStringLiteral("btRunBenchmarks"));
    btRunBenchmarks->setFixedSize(169, 26);
    btRunBenchmarks->setDefault(true);
    connect(btRunBenchmarks, &QPushButton::clicked, this, [this] { events_.btRunBenchmarksClick(); });

    // Labels at the bottom left, the run's controls at the bottom right.
    auto* bottom = new QGridLayout;
    bottom->setContentsMargins(17, 4, 14, 2);
    bottom->setHorizontalSpacing(0);
    bottom->setVerticalSpacing(4);
    bottom->setColumnMinimumWidth(0, 192);
    bottom->setColumnMinimumWidth(1, 150);
    bottom->setColumnStretch(2, 1);
    bottom->setColumnMinimumWidth(4, 84);
    bottom->addWidget(lbCurrentPercent, 0, 0);
    bottom->addWidget(lbSpeed, 0, 1);
    bottom->addWidget(cbQuickWipe, 0, 3, 1, 3);
    bottom->addWidget(lbCurrentPosition, 1, 0, 1, 2);
    bottom->addWidget(btStop, 1, 3);
    bottom->addWidget(btRunBenchmarks, 1, 5);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->setSpacing(0);
    layout->addWidget(Log_BenchMark, 1);
    layout->addWidget(progressBox);
    layout->addLayout(bottom);
    return page;
}

QWidget* TFmMain::BuildSmartPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tsSmart"));
    Log_Smart = MakeMemo(QStringLiteral("Log_Smart"), page);
    Log_Smart->setFont(ReportFont());

    btGetSmart = new QPushButton(QStringLiteral("获取 SMART 数据"), page);
    btGetSmart->setObjectName(QStringLiteral("btGetSmart"));
    btGetSmart->setFixedSize(169, 26);
    btGetSmart->setDefault(true);
    connect(btGetSmart, &QPushButton::clicked, this, [this] { events_.btGetSmartClick(); });

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(btGetSmart);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(10);
    layout->addWidget(Log_Smart, 1);
    layout->addLayout(buttonRow);
    return page;
}

void TFmMain::SetStatusPanel(int panel, const QString& text) { panels_[panel]->setText(text); }

QString TFmMain::StatusPanel(int panel) const { return panels_[panel]->text(); }

void TFmMain::SetActionsEnabled(bool enabled) {
    btRunBenchmarks->setEnabled(enabled);
    btGetSmart->setEnabled(enabled);
    cbQuickWipe->setEnabled(enabled);
}

void TFmMain::SetProgressPosition(int percent) { pbCurrentTask->setValue(percent); }

void TFmMain::SetProgressPaused(bool paused) {
    progressPaused_ = paused;
    pbCurrentTask->setStyleSheet(kProgressStyle.arg(paused ? kPausedChunk : kNormalChunk));
}

void TFmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // The start-up runs once the window is on screen, inside the event loop,
    // so that ending the program from it leaves that loop.
    QTimer::singleShot(0, this, [this] { events_.FormShow(); });
}

void TFmMain::closeEvent(QCloseEvent* event) {
    event->accept();
    events_.FormClose(event);
}

void TFmMain::lbCopyrightMouseEnter() { lbCopyright->SetTextColour(kFooterBlue); }

void TFmMain::lbCopyrightMouseLeave() { lbCopyright->SetTextColour(kFooterGrey); }

void TFmMain::lbCopyrightMouseDown(Qt::MouseButton button) {
    if (button == Qt::LeftButton) lbCopyright->SetTextColour(kFooterRed);
}

void TFmMain::lbCopyrightMouseUp(Qt::MouseButton button) {
    if (button == Qt::LeftButton) lbCopyright->SetTextColour(kFooterGrey);
}

}  // namespace cendrix::windows
