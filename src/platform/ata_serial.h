// The storage layer hands a disk's serial over in ATA byte order (the two
// characters of each pair swapped, as IDENTIFY data holds them); the probe
// swaps the pairs back. Every backend that builds a device descriptor from
// a plain serial encodes it with this.
#pragma once

#include <string>

namespace cendrix::platform {

// Pads `serial` with a blank to an even length and swaps each pair.
std::string EncodeSerialAtaOrder(const std::string& serial);

}  // namespace cendrix::platform
