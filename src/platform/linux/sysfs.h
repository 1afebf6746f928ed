// What the backend reads from sysfs. Every function takes the sysfs root
// ("/sys" on a machine, a folder of files in a test).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/disk_names.h"
#include "platform/linux/storage_records.h"

namespace cendrix::platform::linux_backend {

// The text of a sysfs attribute without trailing blanks and line breaks;
// empty when it cannot be read.
std::string ReadSysText(const std::string& path);

// The bytes of a binary sysfs attribute (a VPD page); empty when it cannot
// be read.
std::string ReadSysBytes(const std::string& path);

// The entries of <root>/block with what the numbering needs.
std::vector<DiskCandidate> ReadDiskCandidates(const std::string& sysRoot);

// Whether <root>/block/NAME is (still) the same disk: its "dev" and, where
// the kernel has it, its "diskseq", which changes whenever a disk of that
// name is attached anew (a loop device set up again, a stick replaced).
struct DiskIdentity {
    std::string dev;      // "7:3"
    std::string diskseq;  // empty on kernels without it
    bool operator==(const DiskIdentity&) const = default;
};
DiskIdentity ReadDiskIdentity(const std::string& sysRoot, const std::string& name);

// Facts about one disk for the adapter and device descriptors.
struct DiskFacts {
    std::string devicePath;     // resolved <root>/block/NAME
    std::uint8_t busType = 0;
    bool removable = false;
    std::uint32_t maxTransferBytes = 0;
    std::uint32_t maxSegments = 0;
    std::uint32_t alignmentMask = 0;
};
DiskFacts ReadDiskFacts(const std::string& sysRoot, const std::string& name);

// Vendor, product, revision and serial (in its plain order, not yet in ATA
// byte order) as sysfs tells them, for disks whose texts do not come from
// ATA IDENTIFY data.
DeviceTexts SysfsTexts(const std::string& sysRoot, const std::string& name);

// The serial of a SCSI VPD page 0x80 (the page as sysfs or INQUIRY hands
// it over), trimmed; empty when the page is malformed.
std::string SerialFromVpd80(const std::string& page);

// The IDENTIFY data a SCSI translation layer reports in its ATA Information
// VPD page (0x89), as sysfs hands it over; false when there is none.
bool IdentifyFromVpd89(const std::string& page, std::uint8_t* sector);

// The partitions of a disk and where they lie, in bytes.
struct PartitionExtent {
    std::string name;        // loop3p1
    unsigned major = 0;
    unsigned minor = 0;
    std::uint64_t start = 0;
    std::uint64_t length = 0;
    // Whether [offset, offset + count) touches the partition.
    bool Overlaps(std::uint64_t offset, std::uint64_t count) const {
        return count > 0 && offset < start + length && start < offset + count;
    }
};
std::vector<PartitionExtent> ReadPartitions(const std::string& sysRoot, const std::string& disk);

// Where block device MAJOR:MINOR lies: the whole disk's kernel name and the
// partition number (0 for the whole disk), and its own kernel name.
struct BlockLocation {
    std::string disk;
    std::uint32_t partition = 0;
    std::string name;
};
std::optional<BlockLocation> LocateBlockDevice(const std::string& sysRoot, unsigned major,
                                               unsigned minor);

}  // namespace cendrix::platform::linux_backend
