// The one question dialog of the program: which buttons it shows for a set
// of button flags, which icon an icon identifier stands for, and the result
// codes it answers with: the one set of these values, shared by the run
// control that asks the question, the views that show it, and the tests.
#pragma once

#include <QString>
#include <vector>

namespace cendrix {

// Common-button flags.
inline constexpr int kTaskButtonOk = 0x01;
inline constexpr int kTaskButtonYes = 0x02;
inline constexpr int kTaskButtonNo = 0x04;
inline constexpr int kTaskButtonCancel = 0x08;
inline constexpr int kTaskButtonRetry = 0x10;
inline constexpr int kTaskButtonClose = 0x20;

// Icon identifiers.
inline constexpr int kTaskIconInformation = 81;
inline constexpr int kTaskIconWarning = 84;
inline constexpr int kTaskIconError = 98;
inline constexpr int kTaskIconQuestion = 99;

// Result codes.
inline constexpr int kTaskNothingShown = 0;
inline constexpr int kTaskResultOk = 1;
inline constexpr int kTaskResultCancel = 2;
inline constexpr int kTaskResultClose = 3;  // the Close (Abort) button
inline constexpr int kTaskResultRetry = 4;
inline constexpr int kTaskResultYes = 6;
inline constexpr int kTaskResultNo = 7;

// Closing the dialog without pressing a button (Escape, the close box)
// answers Cancel: never Yes.
inline constexpr int kTaskResultDismissed = kTaskResultCancel;

struct TaskButton {
    int flag = 0;
    QString caption;  // "&" marks the access key
    int result = 0;
};

// The buttons for `flags`, always in the order Yes, No, OK, Cancel, Abort,
// Retry whatever the order of the flags; OK alone when the flags name none.
std::vector<TaskButton> TaskMessageButtons(int flags);

enum class TaskIconKind { None, Information, Warning, Error, Question };

// The icon an identifier stands for; any other identifier shows none.
TaskIconKind TaskMessageIconKind(int icon);

}  // namespace cendrix
