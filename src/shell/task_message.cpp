#include "shell/task_message.h"

namespace cendrix {

std::vector<TaskButton> TaskMessageButtons(int flags) {
    const TaskButton all[] = {
        {kTaskButtonYes, QStringLiteral("&Yes"), kTaskResultYes},
        {kTaskButtonNo, QStringLiteral("&No"), kTaskResultNo},
        {kTaskButtonOk, QStringLiteral("OK"), kTaskResultOk},
        {kTaskButtonCancel, QStringLiteral("取消"), kTaskResultCancel},
        {kTaskButtonClose, QStringLiteral("&Abort"), kTaskResultClose},
        {kTaskButtonRetry, QStringLiteral("&Retry"), kTaskResultRetry},
    };
    std::vector<TaskButton> shown;
    for (const TaskButton& button : all) {
        if ((flags & button.flag) != 0) shown.push_back(button);
    }
    // A dialog without buttons could not be answered.
    if (shown.empty()) shown.push_back(all[2]);
    return shown;
}

TaskIconKind TaskMessageIconKind(int icon) {
    switch (icon) {
        case kTaskIconInformation: return TaskIconKind::Information;
        case kTaskIconWarning: return TaskIconKind::Warning;
        case kTaskIconError: return TaskIconKind::Error;
        case kTaskIconQuestion: return TaskIconKind::Question;
        default: return TaskIconKind::None;
    }
}

}  // namespace cendrix
