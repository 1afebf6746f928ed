// The description of a simulated machine: its disks, their identity and
// faults, and its lettered volumes. The manifest loader fills it from JSON;
// tests may also build one directly.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/ata_serial.h"

namespace cendrix::platform::sim {

using Sector = std::array<std::uint8_t, 512>;

// A byte range of the disk whose writes (or seeks) fail with `code`.
struct FaultRange {
    std::int64_t offset = 0;
    std::int64_t length = 0;
    std::uint32_t code = 0;
};

struct Disk {
    std::uint32_t number = 0;          // N of \\.\PhysicalDriveN
    std::string imagePath;             // backing file, absolute
    std::int64_t size = 0;             // bytes
    std::uint32_t sectorSize = 512;    // what the geometry request reports
    std::optional<std::uint8_t> bus;   // adapter bus type; absent: adapter query fails
    std::uint32_t maxTransfer = 131072;
    std::string vendor;
    std::string product;
    std::string revision;
    std::string serialRaw;             // serial bytes exactly as the storage layer hands them over
    bool removable = false;
    bool slave = false;
    bool openFails = false;            // every open of the disk is refused (access denied)
    bool inUse = false;                // another program holds it open: no exclusive open
    std::optional<std::uint32_t> geometryError;
    std::optional<std::uint32_t> lengthError;
    std::optional<std::uint32_t> deviceQueryError;
    std::set<std::uint32_t> refuse;                  // control codes that fail
    std::map<std::uint32_t, std::uint32_t> answerBytes;  // control code -> byte count reported
    std::optional<Sector> identify;    // IDENTIFY DEVICE data; absent: identify refused
    std::optional<Sector> smart;       // SMART READ DATA sector; absent: read refused
    std::vector<FaultRange> writeErrors;
    std::vector<FaultRange> seekErrors;
    std::optional<std::int64_t> removeAfterBytes;
    bool punchZeros = false;           // zero writes free the image's blocks instead of filling them
    std::uint32_t writeDelayMs = 0;    // every write takes at least this long: a slow disk
};

// What a volume request is answered with.
enum class VolumeAnswer { Accept, Refuse };

struct Volume {
    std::string name;                  // drive name such as C: (no trailing backslash)
    std::uint32_t deviceType = 7;
    std::uint32_t deviceNumber = 0;
    std::uint32_t partition = 1;
    bool openFails = false;
    VolumeAnswer lock = VolumeAnswer::Accept;
    VolumeAnswer dismount = VolumeAnswer::Accept;
    VolumeAnswer extendedIo = VolumeAnswer::Accept;
};

struct Machine {
    std::vector<Disk> disks;
    std::vector<Volume> volumes;       // in the order the system lists its drives
};

// Encodes a serial as the user reads it into the storage layer's form.
using platform::EncodeSerialAtaOrder;

}  // namespace cendrix::platform::sim
