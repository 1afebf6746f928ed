#include "shell/windows/dialogs.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "shell/project_links.h"
#include "shell/windows/window_look.h"

namespace cendrix::windows {

namespace {

QStyle::StandardPixmap IconPixmap(TaskIconKind kind) {
    switch (kind) {
        case TaskIconKind::Information: return QStyle::SP_MessageBoxInformation;
        case TaskIconKind::Warning: return QStyle::SP_MessageBoxWarning;
        case TaskIconKind::Error: return QStyle::SP_MessageBoxCritical;
        case TaskIconKind::Question: return QStyle::SP_MessageBoxQuestion;
        case TaskIconKind::None: break;
    }
    return QStyle::SP_CustomBase;
}

}  // namespace

TaskMessageDialog::TaskMessageDialog(QWidget* owner, const QString& title, const QString& instruction,
                                     const QString& content, int icon, int buttons)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      iconKind_(TaskMessageIconKind(icon)) {
    setObjectName(QStringLiteral("TaskMessage"));
    setWindowTitle(title.isEmpty() ? kProductName : title);
    setModal(true);

    // The upper part: icon, main instruction and content on white.
    auto* body = new QWidget(this);
    body->setObjectName(QStringLiteral("body"));
    FillWhite(body);

    auto* iconLabel = new QLabel(body);
    iconLabel->setObjectName(QStringLiteral("icon"));
    if (iconKind_ != TaskIconKind::None) {
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        iconLabel->setPixmap(style()->standardIcon(IconPixmap(iconKind_), nullptr, this).pixmap(size, size));
    } else {
        iconLabel->hide();
    }
    iconLabel->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* instructionLabel = new QLabel(instruction, body);
    instructionLabel->setObjectName(QStringLiteral("instruction"));
    QFont big = instructionLabel->font();
    big.setPointSizeF(big.pointSizeF() > 0 ? big.pointSizeF() * 1.3 : 12);
    instructionLabel->setFont(big);
    SetTextColour(instructionLabel, QColor(0, 51, 153));
    instructionLabel->setWordWrap(true);
    instructionLabel->setTextFormat(Qt::PlainText);
    instructionLabel->setVisible(!instruction.isEmpty());

    auto* contentLabel = new QLabel(content, body);
    contentLabel->setObjectName(QStringLiteral("content"));
    contentLabel->setWordWrap(true);
    contentLabel->setTextFormat(Qt::PlainText);
    contentLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    contentLabel->setVisible(!content.isEmpty());

    auto* texts = new QVBoxLayout;
    texts->setSpacing(12);
    texts->addWidget(instructionLabel);
    texts->addWidget(contentLabel);
    texts->addStretch(1);
    auto* bodyLayout = new QHBoxLayout(body);
    bodyLayout->setContentsMargins(16, 16, 24, 20);
    bodyLayout->setSpacing(14);
    bodyLayout->addWidget(iconLabel, 0, Qt::AlignTop);
    bodyLayout->addLayout(texts, 1);

    // The lower part: the buttons, right-aligned, in their fixed order.
    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(12, 10, 12, 10);
    footer->addStretch(1);
    bool first = true;
    for (const TaskButton& button : TaskMessageButtons(buttons)) {
        auto* push = new QPushButton(button.caption, this);
        push->setObjectName(QStringLiteral("button%1").arg(button.result));
        push->setMinimumWidth(88);
        // The first button is the default one, as in the system's dialogs.
        if (first) {
            push->setDefault(true);
            push->setFocus();
            first = false;
        }
        const int result = button.result;
        connect(push, &QPushButton::clicked, this, [this, result] {
            result_ = result;
            accept();
        });
        footer->addWidget(push);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(body, 1);
    layout->addLayout(footer);
    // Wide enough for the longest line of the texts, within reason, so that
    // a device caption in the content stays on one line.
    int longest = 0;
    for (const QString& line : content.split(QLatin1Char('\n'))) {
        longest = std::max(longest, contentLabel->fontMetrics().horizontalAdvance(line.trimmed()));
    }
    longest = std::max(longest, instructionLabel->fontMetrics().horizontalAdvance(instruction));
    contentLabel->setMinimumWidth(std::clamp(longest + 8, 300, 640));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

int ShowTaskMessage(QWidget* owner, const QString& title, const QString& instruction,
                    const QString& content, int icon, int buttons) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr ||
        QCoreApplication::closingDown()) {
        return kTaskNothingShown;
    }
    TaskMessageDialog dialog(owner, title, instruction, content, icon, buttons);
    dialog.exec();
    return dialog.Result();
}

void ShowMessageBox(QWidget* owner, QMessageBox::Icon icon, const QString& text,
                    const QString& caption) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

void FatalError(const QString& text, const QString& caption, const ProgramEnd& end) {
    ShowMessageBox(nullptr, QMessageBox::Critical, text, caption);
    end(kExitFatal);
}

}  // namespace cendrix::windows
