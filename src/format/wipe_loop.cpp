#include "format/wipe_loop.h"

#include <algorithm>

#include "format/format_view.h"
#include "platform/win32_errors.h"
#include "shell/app_state.h"
#include "shell/clock.h"
#include "shell/logs.h"
#include "shell/text_format.h"

namespace cendrix {
namespace {

// Every tenth pass the loop looks at the clock; when those ten passes took
// less than this, the disk is keeping up and the block size doubles.
constexpr std::int64_t kPassesPerSample = 10;
constexpr std::int64_t kFastSampleMs = 1000;

// Wide enough for a byte count times 100 (GCC and Clang, MinGW included).
__extension__ typedef __int128 Wide;

// numerator * factor / denominator, rounded half to even. The product is
// formed in 128 bits so that no byte count overflows it.
std::int64_t RoundedRatio(std::int64_t numerator, std::int64_t factor, std::int64_t denominator) {
    const Wide n = static_cast<Wide>(numerator) * factor;
    const Wide d = denominator;
    Wide q = n / d;
    Wide r = n % d;
    if (r < 0) {  // keep the remainder non-negative so that q is the floor
        r += d;
        q -= 1;
    }
    if (2 * r > d || (2 * r == d && (q & 1) != 0)) q += 1;
    return static_cast<std::int64_t>(q);
}

bool MediumGone(std::uint32_t code) {
    return code == platform::ERROR_FILE_NOT_FOUND || code == platform::ERROR_DEV_NOT_EXIST;
}

// The sector a byte offset reaches; a disk without a sector size has none.
std::int64_t SectorOf(std::int64_t offset, std::int64_t sectorSize) {
    return sectorSize > 0 ? RoundedRatio(offset, 1, sectorSize) : 0;
}

}  // namespace

std::int64_t RoundHalfEven(std::int64_t numerator, std::int64_t denominator) {
    return RoundedRatio(numerator, 1, denominator);
}

QString PercentText(std::int64_t percent) {
    return QString::number(std::min<std::int64_t>(percent, 100)) + QStringLiteral("% 完成");
}

QString PositionText(std::int64_t sector) {
    return QStringLiteral("当前扇区:           ") + GroupThousands(sector);
}

QString SpeedText(std::int64_t tenthsOfMegabytes, const QLocale& locale) {
    return QString::number(tenthsOfMegabytes / 10) + locale.decimalPoint() +
           QString::number(tenthsOfMegabytes % 10) + QStringLiteral(" MB/s");
}

std::optional<QString> WriteErrorText(std::uint32_t code) {
    switch (code) {
        case platform::ERROR_FILE_NOT_FOUND:
        case platform::ERROR_DEV_NOT_EXIST:
            return QStringLiteral("介质已拔出");
        case platform::ERROR_WRITE_PROTECT:
            return QStringLiteral("介质受写保护");
        case platform::ERROR_NOT_READY:
        case platform::ERROR_SEM_TIMEOUT:
            return QStringLiteral("设备未准备好 (超时)");
        case platform::ERROR_IO_DEVICE:
            return QStringLiteral("设备 I/O 错误");
        default:
            return std::nullopt;
    }
}

std::int64_t SeekDevice(platform::StorageApi& storage, platform::Handle device, std::int64_t offset) {
    std::int64_t reached = 0;
    if (!storage.SetFilePointerEx(device, offset, &reached, platform::FILE_BEGIN)) return -1;
    return reached;
}

FormatOutcome WipeDevice(FormatContext& run, bool quick) {
    AppState& state = run.state;
    FormatView& view = run.view;
    Logs& logs = run.logs;

    // One buffer for the whole run: every block is a prefix of it, so the
    // loop itself allocates nothing but its texts.
    platform::AlignedBuffer zeros = run.zeroBuffer(static_cast<std::size_t>(kWipeBufferSize));
    if (!zeros.Valid() || zeros.Size() < static_cast<std::size_t>(kWipeBufferSize)) {
        logs.AddFormatLog(QStringLiteral("无法分配写入缓冲区, 操作已中止."));
        return FormatOutcome::NoBuffer;
    }
    view.ProcessMessages();

    const TIdentifyDeviceData& disk = state.Selected().IdentifyData;
    std::int64_t extent = disk.LBA * disk.SectorSize;
    if (quick && extent > kQuickWipeExtent) extent = kQuickWipeExtent;

    const platform::Handle device = state.DeviceHandle.Get();
    const std::int64_t startMs = run.clock.NowMs();
    std::optional<std::int64_t> sampleMs;
    std::int64_t block = kWipeFirstBlock;
    std::int64_t position = 0;
    std::int64_t passes = 0;
    bool removed = false;
    // Skipped blocks, so that a run with holes is not reported as clean.
    std::int64_t failedBlocks = 0;
    std::int64_t bytesNotErased = 0;

    while (position < extent && !state.StopRequested) {
        ++passes;
        if (passes % kPassesPerSample == 0) {
            const std::int64_t now = run.clock.NowMs();
            // A clock set back gives a negative interval: that counts as fast.
            if (sampleMs && now - *sampleMs < kFastSampleMs) {
                block = std::min(block * 2, kWipeBufferSize);
            }
            sampleMs = now;
        }
        if (position + block > extent) block = extent - position;

        // The labels show the state the disk will be in once this block is written.
        const std::int64_t reached = position + block;
        const std::int64_t percent = RoundedRatio(reached, 100, extent);
        view.SetProgress(static_cast<int>(std::min<std::int64_t>(percent, 100)));
        view.SetPercentText(PercentText(percent));
        view.SetPositionText(PositionText(std::min(SectorOf(reached, disk.SectorSize), disk.LBA)));
        view.ProcessMessages();

        if (SeekDevice(run.storage, device, position) != position) {
            logs.AddFormatLog(QStringLiteral("偏移处发生寻道错误                     ") + GroupThousands(position));
            ++failedBlocks;
            bytesNotErased += block;
            position += block;
        } else {
            std::uint32_t written = 0;
            const bool ok = run.storage.WriteFile(device, zeros.Data(), static_cast<std::uint32_t>(block),
                                                  &written);
            if (!ok || written != static_cast<std::uint32_t>(block)) {
                // After a short write that reported no failure, the code is
                // whatever the system holds then.
                const std::uint32_t code = run.storage.GetLastError();
                QString line = QStringLiteral("偏移处发生格式错误                       ") + GroupThousands(position) +
                               QStringLiteral(":   ") + QString::number(code);
                if (const auto text = WriteErrorText(code)) line += QStringLiteral(" - ") + *text;
                logs.AddFormatLog(line);
                if (MediumGone(code)) {
                    logs.AddFormatLog(QStringLiteral("设备已拔出, 正在中止..."));
                    removed = true;
                    break;
                }
                ++failedBlocks;
                // A failed write may have written part of the block, but
                // nothing tells how much: count all of it as not erased.
                bytesNotErased += ok ? block - written : block;
            }
            position += block;
        }

        const std::int64_t elapsed = std::max<std::int64_t>(run.clock.NowMs() - startMs, 0);
        if (elapsed > 0) view.SetSpeedText(SpeedText(RoundedRatio(position, 1, elapsed * 100), logs.Locale()));
    }

    zeros.Release();
    logs.AddFormatLog(QStringLiteral("平均速度:          ") + view.SpeedText());
    const QString where = GroupThousands(position) + QStringLiteral("    LBA ") +
                          GroupThousands(SectorOf(position, disk.SectorSize));
    if (removed) {
        logs.AddFormatLog(QStringLiteral("操作在偏移处终止                       ") + where);
        // A Stop clicked in the pass that met the removal must not stop the
        // next run before its first block.
        state.StopRequested = false;
        return FormatOutcome::Aborted;
    }
    if (state.StopRequested) {
        logs.AddFormatLog(QStringLiteral("操作在偏移处被取消                     ") + where);
        state.StopRequested = false;
        return FormatOutcome::Cancelled;
    }
    view.SetProgress(100);
    if (failedBlocks > 0) {
        logs.AddFormatLog(QStringLiteral("低级格式化结束, 但有 ") + GroupThousands(failedBlocks) +
                          QStringLiteral(" 个块写入失败, ") + GroupThousands(bytesNotErased) +
                          QStringLiteral(" 字节未被擦除."));
        return FormatOutcome::CompletedWithErrors;
    }
    logs.AddFormatLog(QStringLiteral("低级格式化完成."));
    return FormatOutcome::Completed;
}

}  // namespace cendrix
