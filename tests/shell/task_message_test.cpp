#include "shell/task_message.h"

#include <gtest/gtest.h>

#include "shell/disk_utility.h"

namespace cendrix {
namespace {

QStringList Captions(int flags) {
    QStringList captions;
    for (const TaskButton& b : TaskMessageButtons(flags)) captions.append(b.caption);
    return captions;
}

TEST(TaskMessageButtons, StandInTheirFixedOrderWhateverTheFlags) {
    EXPECT_EQ(Captions(0x3F), (QStringList{QStringLiteral("&Yes"), QStringLiteral("&No"), QStringLiteral("OK"),
                                           QStringLiteral("取消"), QStringLiteral("&Abort"), QStringLiteral("&Retry")}));
    EXPECT_EQ(Captions(0x0A), (QStringList{QStringLiteral("&Yes"), QStringLiteral("取消")}));
    EXPECT_EQ(Captions(0x30), (QStringList{QStringLiteral("&Abort"), QStringLiteral("&Retry")}));
    EXPECT_EQ(Captions(0x00), QStringList{QStringLiteral("OK")});
    EXPECT_EQ(Captions(0x40), QStringList{QStringLiteral("OK")});
}

TEST(TaskMessageButtons, AnswerWithTheResultCodes) {
    const struct {
        int flag;
        int result;
    } table[] = {{0x01, 1}, {0x02, 6}, {0x04, 7}, {0x08, 2}, {0x10, 4}, {0x20, 3}};
    for (const auto& row : table) {
        const auto buttons = TaskMessageButtons(row.flag);
        ASSERT_EQ(buttons.size(), 1u);
        EXPECT_EQ(buttons[0].flag, row.flag);
        EXPECT_EQ(buttons[0].result, row.result) << row.flag;
    }
    // Dismissing the dialog is never taken for Yes.
    EXPECT_NE(kTaskResultDismissed, kTaskResultYes);
}

TEST(TaskMessageIcon, KnowsTheFourIcons) {
    EXPECT_EQ(TaskMessageIconKind(81), TaskIconKind::Information);
    EXPECT_EQ(TaskMessageIconKind(84), TaskIconKind::Warning);
    EXPECT_EQ(TaskMessageIconKind(98), TaskIconKind::Error);
    EXPECT_EQ(TaskMessageIconKind(99), TaskIconKind::Question);
    for (int other : {0, 1, 80, 85, 100, -84}) EXPECT_EQ(TaskMessageIconKind(other), TaskIconKind::None) << other;
}

TEST(DiskManagementCommand, StartsTheFirstDiskUtilityFound) {
#if defined(Q_OS_WIN)
    const ExternalCommand console = DiskManagementCommand([](const QString&) { return QString(); });
    EXPECT_EQ(console.arguments, QStringList{QStringLiteral("diskmgmt.msc")});
#else
    auto finder = [](QStringList present) {
        return [present](const QString& name) {
            return present.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
        };
    };
    EXPECT_EQ(DiskManagementCommand(finder({QStringLiteral("gparted"), QStringLiteral("gnome-disks")})).program,
              QStringLiteral("/usr/bin/gnome-disks"));
    EXPECT_EQ(DiskManagementCommand(finder({QStringLiteral("gparted"), QStringLiteral("partitionmanager")})).program,
              QStringLiteral("/usr/bin/partitionmanager"));
    EXPECT_EQ(DiskManagementCommand(finder({QStringLiteral("gparted")})).program, QStringLiteral("/usr/bin/gparted"));
    const ExternalCommand none = DiskManagementCommand(finder({}));
    EXPECT_FALSE(none.Found());
#endif
}

}  // namespace
}  // namespace cendrix
