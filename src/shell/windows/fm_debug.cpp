#include "shell/windows/fm_debug.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "shell/windows/fonts.h"
#include "shell/windows/window_look.h"

namespace cendrix::windows {

TFmDebug::TFmDebug(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("TFmDebug"));
    setWindowTitle(QStringLiteral("调试"));
    QFont small = font();
    small = DesignFont(small, 8, false);
    small.setPixelSize(11);
    setFont(small);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setPlainText(QStringLiteral("调试窗口"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo1);

    resize(635, 337);
    CentreOnScreen(this);
}

}  // namespace cendrix::windows
