// The wipe loop: zeros over the selected disk from offset 0, in blocks that
// start small and grow while the disk keeps up, with progress, per-block
// error lines, stop on request and abort when the medium goes away.
#pragma once

#include <cstdint>
#include <optional>

#include <QLocale>
#include <QString>

#include "format/format_context.h"
#include "platform/storage_api.h"

namespace cendrix {

// The zero buffer: the largest block the loop writes.
inline constexpr std::int64_t kWipeBufferSize = 33554432;
// The first block size; the first progress shows at once.
inline constexpr std::int64_t kWipeFirstBlock = 65536;
// What the quick wipe covers: the partition tables and the boot records.
inline constexpr std::int64_t kQuickWipeExtent = 10240000;

// Wipes the selected entry of run.state through run.state.DeviceHandle:
// the whole disk, or in quick mode its first kQuickWipeExtent bytes. The
// volumes of the disk must be locked. Tells the outcome in the format log
// and returns it (never Declined or LockFailed).
FormatOutcome WipeDevice(FormatContext& run, bool quick);

// Moves the handle's file position to `offset` bytes from the start of the
// device; the position reached, or -1 when the move fails.
std::int64_t SeekDevice(platform::StorageApi& storage, platform::Handle device, std::int64_t offset);

// numerator / denominator rounded to the nearest whole number, halves to
// the even one; exact for all 64-bit operands (denominator > 0).
std::int64_t RoundHalfEven(std::int64_t numerator, std::int64_t denominator);

// The label texts of a pass: "37% 完成", "当前扇区:           1,234,567",
// "12.3 MB/s" (tenths of MB/s, the locale's decimal separator).
QString PercentText(std::int64_t percent);
QString PositionText(std::int64_t sector);
QString SpeedText(std::int64_t tenthsOfMegabytes, const QLocale& locale);

// The text that follows " - " on a failed write's line for a Windows error
// code, or nothing for codes without one.
std::optional<QString> WriteErrorText(std::uint32_t code);

}  // namespace cendrix
