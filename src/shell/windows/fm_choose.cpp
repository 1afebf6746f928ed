#include "shell/windows/fm_choose.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "discovery/chooser_choice.h"
#include "discovery/chooser_rules.h"
#include "shell/app_state.h"
#include "shell/windows/dialogs.h"
#include "shell/windows/fonts.h"
#include "shell/windows/link_label.h"
#include "shell/windows/window_look.h"

namespace cendrix::windows {

namespace {

constexpr int kColumnWidths[] = {78, 220, 90, 160, 117};  // the last column fills the rest

}  // namespace

TFmChoose::TFmChoose(AppState& state, const QLocale& locale, Launcher& launcher, ProgramEnd end,
                     ExecutableFinder findExecutable, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      state_(state),
      locale_(locale),
      launcher_(launcher),
      end_(std::move(end)),
      findExecutable_(std::move(findExecutable)) {
    setObjectName(QStringLiteral("TFmChoose"));
    QFont windowFont = font();
    SetIconTitleFont(windowFont);
    SetCalibriFont(windowFont);
    setFont(windowFont);

    // Top band: the program's name on white, a thin line under it.
    auto* topBand = new QWidget(this);
    topBand->setObjectName(QStringLiteral("TopBand"));
    topBand->setFixedHeight(44);
    FillWhite(topBand);
    lbProgramName = new QLabel(topBand);
    lbProgramName->setObjectName(QStringLiteral("lbProgramName"));
    QFont nameFont = windowFont;
    nameFont.setBold(true);
    nameFont.setPointSizeF(windowFont.pointSizeF() > 0 ? windowFont.pointSizeF() + 3 : 12);
    lbProgramName->setFont(nameFont);
    auto* topLayout = new QHBoxLayout(topBand);
    topLayout->setContentsMargins(25, 0, 25, 0);
    topLayout->addWidget(lbProgramName, 0, Qt::AlignVCenter);
    topLayout->addStretch(1);

    auto* separator = new QFrame(this);
    separator->setObjectName(QStringLiteral("Bevel"));
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setFixedHeight(2);

    // The list of disks.
    DriveList = new QTreeWidget(this);
    DriveList->setObjectName(QStringLiteral("DriveList"));
    DriveList->setRootIsDecorated(false);
    DriveList->setItemsExpandable(false);
    DriveList->setUniformRowHeights(true);
    DriveList->setAllColumnsShowFocus(true);
    DriveList->setSelectionMode(QAbstractItemView::SingleSelection);
    DriveList->setSelectionBehavior(QAbstractItemView::SelectRows);
    DriveList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DriveList->setSortingEnabled(false);
    const auto titles = ChooserColumnTitles();
    DriveList->setHeaderLabels(QStringList(titles.begin(), titles.end()));
    DriveList->header()->setStretchLastSection(true);
    DriveList->header()->setSectionsMovable(false);
    for (int c = 0; c < 5; ++c) DriveList->setColumnWidth(c, kColumnWidths[c]);
    SetExplorerTheme(DriveList);
    DriveList->installEventFilter(this);
    DriveList->viewport()->installEventFilter(this);

    // The band under the list: the link, the copyright, the prompt and
    // Continue.
    lbDiskManagement = new LinkLabel(this);
    lbDiskManagement->setObjectName(QStringLiteral("lbDiskManagement"));
    lbDiskManagement->setText(QStringLiteral("打开磁盘管理控制台"));
    lbDiskManagement->SetTextColour(QColor(0, 0, 255));
    QFont underlined = lbDiskManagement->font();
    underlined.setUnderline(true);
    lbDiskManagement->setFont(underlined);
    lbDiskManagement->setCursor(Qt::PointingHandCursor);
    connect(lbDiskManagement, &LinkLabel::clicked, this, &TFmChoose::lbDiskManagementClick);

    Label2 = new QLabel(QStringLiteral("请选择一个设备"), this);
    Label2->setObjectName(QStringLiteral("Label2"));

    lbCopyright = new QLabel(this);
    lbCopyright->setObjectName(QStringLiteral("lbCopyright"));
    SetTextColour(lbCopyright, QColor(128, 128, 128));

    btContinue = new QPushButton(QStringLiteral("继续 >>>"), this);
    btContinue->setObjectName(QStringLiteral("btContinue"));
    btContinue->setFixedSize(135, 26);
    btContinue->setDefault(true);
    btContinue->setAutoDefault(false);
    btContinue->setEnabled(false);
    connect(btContinue, &QPushButton::clicked, this, &TFmChoose::btContinueClick);

    auto* linkRow = new QHBoxLayout;
    linkRow->addStretch(1);
    linkRow->addWidget(lbDiskManagement);
    auto* actionRow = new QHBoxLayout;
    actionRow->addWidget(lbCopyright, 0, Qt::AlignBottom);
    actionRow->addStretch(1);
    actionRow->addWidget(Label2, 0, Qt::AlignVCenter);
    actionRow->addSpacing(16);
    actionRow->addWidget(btContinue);
    auto* bottomBand = new QWidget(this);
    bottomBand->setObjectName(QStringLiteral("BottomBand"));
    bottomBand->setFixedHeight(69);
    auto* bandLayout = new QVBoxLayout(bottomBand);
    bandLayout->setContentsMargins(0, 6, 0, 14);
    bandLayout->setSpacing(8);
    bandLayout->addLayout(linkRow);
    bandLayout->addStretch(1);
    bandLayout->addLayout(actionRow);

    auto* centre = new QVBoxLayout;
    centre->setContentsMargins(20, 20, 20, 0);
    centre->setSpacing(0);
    centre->addWidget(DriveList, 1);
    centre->addWidget(bottomBand);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    StatusBar->setFixedHeight(20);
    statusText_ = new QLabel(StatusBar);
    statusText_->setContentsMargins(4, 0, 4, 0);
    statusText_->setObjectName(QStringLiteral("StatusText"));
    StatusBar->addWidget(statusText_, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(topBand);
    layout->addWidget(separator);
    layout->addLayout(centre, 1);
    layout->addWidget(StatusBar);

    setFixedSize(881, 368);
    CentreOnScreen(this);
}

bool TFmChoose::ChooseDevice() {
    FillList();
    exec();
    return state_.DeviceChosen;
}

void TFmChoose::SetStatusText(const QString& text) { statusText_->setText(text); }

QString TFmChoose::StatusText() const { return statusText_->text(); }

void TFmChoose::FillList() {
    // The table never changes after the enumeration: fill the rows once.
    if (filled_) return;
    filled_ = true;
    for (std::int64_t e = 1; e <= state_.DeviceCount; ++e) {
        const auto cells = ChooserColumns(state_.DeviceTables[e], locale_);
        DriveList->addTopLevelItem(new QTreeWidgetItem(QStringList(cells.begin(), cells.end())));
    }
}

void TFmChoose::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFmChoose::FormShow() {
    DriveList->setFocus();
    const int rows = DriveList->topLevelItemCount();
    if (rows == 0) return;
    btContinue->setEnabled(true);
    QTreeWidgetItem* last = DriveList->topLevelItem(rows - 1);
    DriveList->setCurrentItem(last);
    last->setSelected(true);
    DriveList->scrollToItem(last);
}

bool TFmChoose::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DriveList && event->type() == QEvent::KeyPress) {
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            EndApplication();
            return true;
        }
        return false;
    }
    if (watched == DriveList->viewport()) {
        switch (event->type()) {
            case QEvent::MouseButtonPress: {
                // A click below the rows clears the selection.
                const auto* mouse = static_cast<QMouseEvent*>(event);
                if (!DriveList->indexAt(mouse->position().toPoint()).isValid()) {
                    DriveList->clearSelection();
                }
                return false;
            }
            case QEvent::MouseButtonRelease:
                DriveListClick();
                return false;
            case QEvent::MouseButtonDblClick:
                DriveListDblClick();
                return true;
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFmChoose::keyPressEvent(QKeyEvent* event) {
    // Only Escape in the list leaves the chooser; elsewhere the dialog has no
    // Cancel button for Escape to press.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFmChoose::DriveListClick() { btContinue->setEnabled(!DriveList->selectedItems().isEmpty()); }

void TFmChoose::DriveListDblClick() {
    if (!DriveList->selectedItems().isEmpty()) btContinueClick();
}

void TFmChoose::btContinueClick() {
    const QList<QTreeWidgetItem*> selected = DriveList->selectedItems();
    const std::int64_t row = selected.isEmpty() ? -1 : DriveList->indexOfTopLevelItem(selected.front());
    switch (AcceptChooserRow(state_, row)) {
        case ChooserChoice::NoSelection:
            break;
        case ChooserChoice::TooSmall:
            ShowMessageBox(nullptr, QMessageBox::Information, kSmallDiskText, kSmallDiskCaption);
            break;
        case ChooserChoice::Accepted:
            accept();
            break;
    }
}

void TFmChoose::lbDiskManagementClick() {
    launcher_.StartProgram(DiskManagementCommand(findExecutable_));
}

void TFmChoose::done(int result) {
    QDialog::done(result);
    FormClose();
}

void TFmChoose::FormClose() {
    if (!state_.DeviceChosen && !ended_) {
        ended_ = true;
        end_(kExitNormal);
    }
}

void TFmChoose::EndApplication() {
    ended_ = true;
    end_(kExitNormal);
    reject();
}

}  // namespace cendrix::windows
