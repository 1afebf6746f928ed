#include "info/device_details.h"

#include "ata/ata_transport.h"
#include "shell/app_state.h"
#include "shell/logs.h"
#include "shell/project_links.h"
#include "shell/text_format.h"

namespace cendrix {

namespace {

const QString kBlankLine = QStringLiteral(" ");

void WriteIdentity(Logs& logs, const T_IDE_PASSPORT& p) {
    logs.AddDetailsLine(QStringLiteral("型号:    ") + p.name);
    logs.AddDetailsLine(QStringLiteral("固件版本:              ") + p.fw);
    logs.AddDetailsLine(QStringLiteral("序列号:           ") + p.sn);
    if (p.buffersize > 0) {
        logs.AddDetailsLine(QStringLiteral("缓冲区大小:       ") + FormatCapacity(p.buffersize, logs.Locale()));
    }
    logs.AddDetailsLine(kBlankLine);
}

void WritePhysical(Logs& logs, const T_IDE_PASSPORT& p) {
    logs.AddDetailsLine(QStringLiteral("物理参数:               "));
    logs.AddDetailsLine(p.lba28support ? QStringLiteral("支持 LBA 模式") : QStringLiteral("不支持 LBA 模式"));
    logs.AddDetailsLine(p.lba48support ? QStringLiteral("支持 LBA-48 模式") : QStringLiteral("不支持 LBA-48 模式"));
    logs.AddDetailsLine(QStringLiteral("LBA 命令可用扇区:                          ") + GroupThousands(p.lba28sectors));
    logs.AddDetailsLine(QStringLiteral("LBA48 命令可用扇区:                          ") + GroupThousands(p.lba48sectors));
    // Garbage data can give a count whose byte total does not fit 64 bits;
    // the product then wraps (defined) instead of overflowing.
    const auto bytes = static_cast<std::int64_t>(static_cast<std::uint64_t>(p.lbasectors) * 512u);
    logs.AddDetailsLine(QStringLiteral("设备全容量:                ") + GroupThousands(bytes) + QStringLiteral(" 字节"));
    logs.AddDetailsLine(kBlankLine);
}

void WriteSecurity(Logs& logs, const T_IDE_PASSPORT& p) {
    logs.AddDetailsLine(QStringLiteral("安全:      "));
    logs.AddDetailsLine(p.securitysupport ? QStringLiteral("支持安全功能") : QStringLiteral("不支持安全功能"));
    if (p.locked && p.lockedmax) {
        logs.AddDetailsLine(QStringLiteral("驱动器当前已锁定"));
        logs.AddDetailsLine(QStringLiteral("安全级别: 最大"));
        logs.AddDetailsLine(QStringLiteral("设备需要用户密码才能解锁."));
        logs.AddDetailsLine(QStringLiteral("如果用户密码未知, 则可以使用主密码擦除设备."));
    } else if (p.locked) {
        logs.AddDetailsLine(QStringLiteral("驱动器当前已锁定"));
        logs.AddDetailsLine(QStringLiteral("安全级别: 高"));
        logs.AddDetailsLine(QStringLiteral("设备需要用户或主密码才能解锁."));
    } else {
        logs.AddDetailsLine(QStringLiteral("该设备当前未锁定"));
    }
    logs.AddDetailsLine(kBlankLine);
}

void WriteFeatures(Logs& logs, const T_IDE_PASSPORT& p) {
    logs.AddDetailsLine(QStringLiteral("特征:      "));
    logs.AddDetailsLine(p.smartsupport ? QStringLiteral("支持 SMART") : QStringLiteral("不支持 SMART"));
    logs.AddDetailsLine(p.hpasupport ? QStringLiteral("支持 HPA (主机保护区域)")
                                     : QStringLiteral("不支持 HPA (主机保护区域)"));
    logs.AddDetailsLine(p.aamsupport ? QStringLiteral("支持 AAM (自动噪声管理)")
                                     : QStringLiteral("不支持 AAM (自动噪声管理)"));
    logs.AddDetailsLine(p.StreamingSupported ? QStringLiteral("支持流式处理功能集")
                                             : QStringLiteral("不支持流式处理功能集"));
    logs.AddDetailsLine(kBlankLine);
}

void WriteQueue(Logs& logs, const T_IDE_PASSPORT& p) {
    logs.AddDetailsLine(QStringLiteral("队列:     "));
    if (p.QueueDepth > 0) {
        logs.AddDetailsLine(QStringLiteral("设备支持命令队列"));
        logs.AddDetailsLine(QStringLiteral("最大队列深度:              ") + QString::number(p.QueueDepth + 1));
    } else {
        logs.AddDetailsLine(QStringLiteral("设备不支持命令队列"));
    }
}

}  // namespace

SelectedIdentify IdentifySelectedDevice(AppState& state, platform::StorageApi& storage) {
    SelectedIdentify result;
    state.SmartEnabledAtStart.reset();
    const TIdentifyDeviceData& entry = state.Selected().IdentifyData;
    const platform::Handle handle = state.DeviceHandle.Get();
    AtaSector data{};
    bool answered = IdentifyDevice(storage, handle, entry.IsIDESlave, data);
    if (!answered && entry.BusType == kBusTypeAta) {
        // Some ATA drivers answer only once the channel has settled.
        answered = IdentifyDevice(storage, handle, entry.IsIDESlave, data);
        if (!answered) result.outcome = IdentifyOutcome::InternalError;
    }
    if (answered) {
        result.outcome = IdentifyOutcome::Answered;
        result.passport = DecodeIdentifyData(data);
        state.SmartEnabledAtStart = result.passport.smartenabled;
    }
    return result;
}

void WriteDeviceDetails(AppState& state, platform::StorageApi& storage, Logs& logs) {
    if (!TDeviceTables::ValidIndex(state.SelectedDevice)) return;

    logs.AddDetailsLine(kBlankLine);
    logs.AddDetailsLine(QStringLiteral("当前日期和时间:               ") + logs.NowText());
    logs.AddDetailsLine(QStringLiteral("设备详细信息             ") +
                        DeviceCaption(state.DeviceTables, state.SelectedDevice, logs.Locale()));
    logs.AddDetailsLine(kBlankLine);

    const SelectedIdentify identify = IdentifySelectedDevice(state, storage);
    switch (identify.outcome) {
        case IdentifyOutcome::Unavailable:
            logs.AddDetailsLine(QStringLiteral("此设备详细信息不可用."));
            return;
        case IdentifyOutcome::InternalError:
            logs.AddDetailsLine(QStringLiteral("详细信息不可用: 内部错误."));
            logs.AddDetailsLine(QStringLiteral("请在 ") + kProjectForum + QStringLiteral(" 上发布这一问题"));
            return;
        case IdentifyOutcome::Answered:
            break;
    }
    const T_IDE_PASSPORT& p = identify.passport;
    WriteIdentity(logs, p);
    WritePhysical(logs, p);
    WriteSecurity(logs, p);
    WriteFeatures(logs, p);
    WriteQueue(logs, p);
}

}  // namespace cendrix
