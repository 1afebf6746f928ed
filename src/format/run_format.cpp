#include "format/run_format.h"

#include "format/format_view.h"
#include "format/volume_lock.h"
#include "format/wipe_loop.h"
#include "platform/control_codes.h"
#include "shell/app_state.h"
#include "shell/logs.h"
#include "shell/text_format.h"

namespace cendrix {

void RequestStop(AppState& state) { state.StopRequested = true; }

FormatOutcome RunFormat(FormatContext& run) {
    AppState& state = run.state;
    FormatView& view = run.view;
    Logs& logs = run.logs;

    const bool quick = view.QuickWipeChecked();
    bool ran = false;
    const int answer = view.ShowTaskMessage(
        QStringLiteral("警告"), QStringLiteral("所选设备上的所有数据都将丢失"),
        QStringLiteral("你是否绝对确定要不可逆地销毁此设备上的所有数据?") + QStringLiteral("\r\n\r\n") +
            state.DiskName,
        kTaskIconWarning, kTaskButtonYes | kTaskButtonCancel);
    if (answer != kTaskResultYes) return FormatOutcome::Declined;

    view.SetActionsEnabled(false);
    const TDeviceTable& entry = state.Selected();
    logs.AddFormatLog(QStringLiteral(" "));
    logs.AddFormatLog(QString(49, QLatin1Char('=')));
    logs.AddFormatLog(QStringLiteral("低级格式化:            ") + state.DiskName);
    logs.AddFormatLog(QStringLiteral("设备容量:            ") + GroupThousands(entry.IdentifyData.LBA) +
                      QStringLiteral(" 扇区"));
    logs.AddFormatLog(QStringLiteral("正在锁定设备... "));

    FormatOutcome outcome = FormatOutcome::LockFailed;
    if (!LockDiskVolumes(state, run.storage, logs, static_cast<std::int64_t>(entry.DeviceNumber))) {
        logs.AddFormatLog(QStringLiteral("无法锁定设备. 请确保您在此设备上没有打开的文件, 然后重试. "));
    } else {
        view.SetStopEnabled(true);
        view.FocusStop();
        logs.AddFormatLog(QStringLiteral("正在格式化..."));
        view.SetProgressState(ProgressState::Normal);
        outcome = WipeDevice(run, quick);
        view.SetProgressState(ProgressState::Paused);
        // Without its buffer the loop wrote nothing: there is no partition
        // to re-create.
        ran = outcome != FormatOutcome::NoBuffer;
        view.SetStopEnabled(false);
    }

    // Asked while the volumes are still held, so that the system re-reads
    // the partition layout before anyone can mount the old one again.
    std::uint32_t returned = 0;
    run.storage.DeviceIoControl(state.DeviceHandle.Get(), platform::IOCTL_DISK_UPDATE_PROPERTIES,
                                nullptr, 0, nullptr, 0, &returned);
    ReleaseDiskVolumes(state, run.storage);
    if (ran) {
        logs.AddFormatLog(QString());
        logs.AddFormatLog(QStringLiteral("请记住创建新分区."));
    }
    view.SetActionsEnabled(true);
    return outcome;
}

}  // namespace cendrix
