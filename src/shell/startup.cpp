#include "shell/startup.h"

#include "discovery/chooser_rules.h"
#include "discovery/enumeration.h"
#include "info/device_details.h"
#include "shell/app_state.h"
#include "shell/clock.h"
#include "shell/logs.h"
#include "shell/open_device.h"
#include "shell/project_links.h"
#include "shell/text_format.h"

#if defined(Q_OS_WIN)
#include <QLibrary>
#endif

namespace cendrix {

namespace {

const QString kErrorCaption = QStringLiteral("错误");

}  // namespace

bool DebugSwitchGiven(const QStringList& arguments) {
    return !arguments.isEmpty() && arguments.front().toLower() == QStringLiteral("--调试");
}

QString ProgramFolder(const QString& programPath) {
    QString folder = programPath;
    while (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')) &&
           !folder.endsWith(QLatin1Char('\\'))) {
        folder.chop(1);
    }
    return folder;
}

StartUpOutcome StartUp(AppState& state, platform::StorageApi& storage, Logs& logs, Clock& clock,
                       StartUpView& view, const StartUpInputs& inputs) {
    if (DebugSwitchGiven(inputs.arguments)) {
        state.DebugMode = true;
        logs.AddDebugLog(QStringLiteral("调试模式激活"));
        view.ShowDebugWindow();
    }
    state.DeviceCount = 0;
    logs.AddDebugLog(QStringLiteral("程序路径:         ") + ProgramFolder(inputs.programPath));
    logs.AddDebugLog(PlatformLine(inputs.platform));

    if (!inputs.platform.ntFamily) {
        view.FatalError(QStringLiteral("仅支持以下版本的 Windows: 2003, 2008, XP, Vista, 7"), kErrorCaption);
        return StartUpOutcome::Ended;
    }
    clock.Sleep(50);

    view.SetChooserCaption(QStringLiteral("设备选择 - ") + kProductName);
    view.SetChooserProgramName(kProductName.toUpper());
    logs.AddDebugLog(QStringLiteral("程序版本: ") + kProductName);
    view.SetMainCaption(kProductName);
    view.SetCopyrightLines(kCopyrightLine);

#if defined(Q_OS_WIN)
    // The device-installation library is not used afterwards; a system
    // without it is too damaged to be trusted with a disk.
    if (!QLibrary(QStringLiteral("setupapi")).load()) {
        view.FatalError(QStringLiteral("错误 #01704"), kErrorCaption);
        return StartUpOutcome::Ended;
    }
#else
    // The Windows device-installation library has no counterpart here, and
    // nothing later depends on it, so there is nothing to check.
#endif

    logs.AddDebugLog(QStringLiteral("正在遍历设备..."));
    const EnumerationResult enumeration = EnumerateDevices(state, storage, logs);
    if (enumeration.Fatal()) {
        view.FatalError(enumeration.fatalError, kErrorCaption);
        return StartUpOutcome::Ended;
    }
    if (!inputs.diskAccessNote.isEmpty()) logs.AddDebugLog(inputs.diskAccessNote);
    view.SetChooserStatusText(FoundDisksText(state.DeviceCount));

    logs.AddFormatLog(QStringLiteral(" * * * * *  警告!!! * * * * * "));
    logs.AddFormatLog(QStringLiteral("正在低级格式化过程中"));
    logs.AddFormatLog(QStringLiteral("所有数据都将被完全且不可逆转地删除! "));
    return StartUpOutcome::Ready;
}

StartUpOutcome RunFirstShow(AppState& state, platform::StorageApi& storage, Logs& logs,
                            Clock& clock, StartUpView& view, const StartUpInputs& inputs) {
    if (StartUp(state, storage, logs, clock, view, inputs) == StartUpOutcome::Ended) {
        return StartUpOutcome::Ended;
    }
    // The whole start-up log can be read before the chooser comes up.
    if (state.DebugMode) view.ShowDebugWindowModal();

    if (!view.ChooseDevice()) {
        view.EndProgram();
        return StartUpOutcome::Ended;
    }
    state.DiskName = DeviceCaption(state.DeviceTables, state.SelectedDevice, logs.Locale());
    view.ShowDiskName(state.DiskName);

    const OpenDeviceResult open = OpenSelectedDevice(state, storage);
    if (!open.ok) {
        view.FatalError(open.errorText, kErrorCaption);
        return StartUpOutcome::Ended;
    }
    view.SetStatusDiskName(state.DiskName);

    WriteDeviceDetails(state, storage, logs);
    return StartUpOutcome::Ready;
}

}  // namespace cendrix
