// The identity texts the Linux backend reads out of a drive's IDENTIFY data;
// the records it answers with are the shared ones of storage_records.h.
// Pure functions, so each is checked by a test without a disk.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/storage_records.h"

namespace cendrix::platform::linux_backend {

// A text of an IDENTIFY DEVICE sector: `words` words from `firstWord`, each
// word holding its first character in the high byte; trailing blanks and
// NULs removed, leading ones too.
std::string IdentifyText(const std::uint8_t* identify, int firstWord, int words);

// HDIO_GET_IDENTITY hands the model, firmware and serial over with their
// characters in reading order, not as the drive sent them; this puts them
// back into IDENTIFY order so that the sector reads like one from the drive.
void RestoreIdentifyTextOrder(std::uint8_t* identify);

// The texts Windows reports for an ATA disk from its IDENTIFY data: no
// vendor, the 40-character model, the firmware revision, the serial.
DeviceTexts TextsFromIdentify(const std::uint8_t* identify);

}  // namespace cendrix::platform::linux_backend
