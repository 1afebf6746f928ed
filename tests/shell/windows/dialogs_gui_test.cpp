// The question dialog, the error box that ends the program, and the fonts.
#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest/QTest>
#include <algorithm>
#include <gtest/gtest.h>

#include "modal_script.h"
#include "shell/project_links.h"
#include "shell/windows/dialogs.h"
#include "shell/windows/fonts.h"

namespace cendrix {
namespace {

using namespace testing;
using windows::ShowTaskMessage;
using windows::TaskMessageDialog;

QList<QPushButton*> ButtonsLeftToRight(QWidget* dialog) {
    QList<QPushButton*> buttons = dialog->findChildren<QPushButton*>();
    std::sort(buttons.begin(), buttons.end(), [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
    return buttons;
}

TEST(ShowTaskMessageGui, ShowsTitleInstructionContentIconAndTheButtonsInTheirOrder) {
    ModalScript script;
    script.Expect(QStringLiteral("TaskMessage"), [](QWidget* w) {
        auto* dialog = qobject_cast<TaskMessageDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("警告"));
        EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("instruction"))->text(),
                  QStringLiteral("所选设备上的所有数据都将丢失"));
        EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("content"))->text(), QStringLiteral("line 1\r\n\r\nline 2"));
        EXPECT_EQ(dialog->IconKind(), TaskIconKind::Warning);
        auto* icon = dialog->findChild<QLabel*>(QStringLiteral("icon"));
        EXPECT_FALSE(icon->isHidden());
        EXPECT_FALSE(icon->pixmap().isNull());
        QStringList captions;
        for (QPushButton* b : ButtonsLeftToRight(dialog)) captions.append(b->text());
        EXPECT_EQ(captions, (QStringList{QStringLiteral("&Yes"), QStringLiteral("&No"), QStringLiteral("OK"),
                                         QStringLiteral("取消"), QStringLiteral("&Abort"), QStringLiteral("&Retry")}));
        dialog->reject();
    });
    ShowTaskMessage(nullptr, QStringLiteral("警告"), QStringLiteral("所选设备上的所有数据都将丢失"),
                    QStringLiteral("line 1\r\n\r\nline 2"), kTaskIconWarning, 0x3F);
}

TEST(ShowTaskMessageGui, AnswersWithTheCodeOfTheButtonPressed) {
    const struct {
        int flags;
        const char* caption;
        int result;
    } cases[] = {
        {0x01, "OK", 1},     {0x02, "&Yes", 6},    {0x04, "&No", 7},     {0x08, "取消", 2},
        {0x10, "&Retry", 4}, {0x20, "&Abort", 3},  {0x0A, "&Yes", 6},    {0x0A, "取消", 2},
        {0x3F, "&No", 7},    {0x3F, "&Abort", 3},
    };
    for (const auto& c : cases) {
        ModalScript script;
        const QString caption = QString::fromUtf8(c.caption);
        script.Expect(QStringLiteral("TaskMessage"), [&caption](QWidget* w) {
            for (QPushButton* b : w->findChildren<QPushButton*>()) {
                if (b->text() == caption) {
                    QTest::mouseClick(b, Qt::LeftButton);
                    return;
                }
            }
            ADD_FAILURE() << "no button " << caption.toStdString();
        });
        EXPECT_EQ(ShowTaskMessage(nullptr, QStringLiteral("t"), QStringLiteral("i"), QStringLiteral("c"), 84, c.flags),
                  c.result)
            << c.flags << " " << c.caption;
    }
}

TEST(ShowTaskMessageGui, ClosingWithoutAButtonIsNeverYes) {
    const std::function<void(QWidget*)> dismissals[] = {
        [](QWidget* w) { w->close(); },
        [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); },
    };
    for (const auto& dismiss : dismissals) {
        ModalScript script;
        script.Expect(QStringLiteral("TaskMessage"), dismiss);
        EXPECT_EQ(ShowTaskMessage(nullptr, QStringLiteral("警告"), QString(), QStringLiteral("c"), 84, 0x0A),
                  kTaskResultCancel);
    }
}

TEST(ShowTaskMessageGui, EnterPressesTheFirstButtonAndAnUnknownIconShowsNone) {
    ModalScript script;
    script.Expect(QStringLiteral("TaskMessage"), [](QWidget* w) {
        auto* dialog = qobject_cast<TaskMessageDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->IconKind(), TaskIconKind::None);
        EXPECT_TRUE(dialog->findChild<QLabel*>(QStringLiteral("icon"))->isHidden());
        // No title: the application's title stands in.
        EXPECT_EQ(dialog->windowTitle(), kProductName);
        QTest::keyClick(w, Qt::Key_Return);
    });
    EXPECT_EQ(ShowTaskMessage(nullptr, QString(), QStringLiteral("i"), QStringLiteral("c"), 7, 0x0C), kTaskResultNo);
}

TEST(FatalErrorGui, ShowsTheErrorBoxThenEndsTheProgram) {
    QList<int> ends;
    ModalScript script;
    script.Expect(QStringLiteral("QMessageBox"), [&ends](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QStringLiteral("错误打开设备:               x"));
        EXPECT_EQ(box->windowTitle(), QStringLiteral("错误"));
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->buttons().size(), 1);
        EXPECT_TRUE(ends.isEmpty());
        box->button(QMessageBox::Ok)->click();
    });
    windows::FatalError(QStringLiteral("错误打开设备:               x"), QStringLiteral("错误"),
                        [&ends](int status) { ends.append(status); });
    EXPECT_EQ(ends, QList<int>{windows::kExitFatal});
}

TEST(Fonts, CalibriIsTakenTwoPointsLargerOnlyWhenInstalledAndNotAlreadyChosen) {
    const QStringList withCalibri{QStringLiteral("DejaVu Sans"), QStringLiteral("calibri")};
    const QStringList without{QStringLiteral("DejaVu Sans")};
    struct Case {
        const char* family;
        QStringList installed;
        const char* expectedFamily;
        qreal expectedSize;
    } cases[] = {
        {"DejaVu Sans", withCalibri, "Calibri", 11},
        {"DejaVu Sans", without, "DejaVu Sans", 9},
        {"Calibri", withCalibri, "Calibri", 9},
        {"CALIBRI", withCalibri, "CALIBRI", 9},
        {"cAlIbRi", without, "cAlIbRi", 9},
    };
    for (const Case& c : cases) {
        QFont font(QString::fromLatin1(c.family));
        font.setPointSizeF(9);
        windows::SetCalibriFont(font, c.installed);
        EXPECT_EQ(font.family(), QString::fromLatin1(c.expectedFamily)) << c.family;
        EXPECT_EQ(font.pointSizeF(), c.expectedSize) << c.family;
    }
}

TEST(Fonts, IconTitleFontIsTheDesktopsGeneralFontAndReportsUseAFixedPitch) {
    QFont font(QStringLiteral("Some Other Face"), 31);
    windows::SetIconTitleFont(font);
    EXPECT_EQ(font, QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    const QFont report = windows::ReportFont();
    EXPECT_TRUE(QFontInfo(report).fixedPitch());
    EXPECT_EQ(report.pointSize(), 9);
}

}  // namespace
}  // namespace cendrix
