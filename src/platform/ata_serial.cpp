#include "platform/ata_serial.h"

#include <utility>

namespace cendrix::platform {

std::string EncodeSerialAtaOrder(const std::string& serial) {
    std::string padded = serial;
    if (padded.size() % 2 != 0) padded.push_back(' ');
    for (std::size_t i = 0; i + 1 < padded.size(); i += 2) std::swap(padded[i], padded[i + 1]);
    return padded;
}

}  // namespace cendrix::platform
