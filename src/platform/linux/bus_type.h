// The storage bus a disk hangs on, read from where the kernel put the disk
// in /sys/devices: the same codes the Windows adapter descriptor reports.
#pragma once

#include <cstdint>
#include <string_view>

namespace cendrix::platform::linux_backend {

// Windows STORAGE_BUS_TYPE codes.
enum BusType : std::uint8_t {
    kBusUnknown = 0,
    kBusScsi = 1,
    kBusAta = 3,
    kBus1394 = 4,
    kBusFibre = 6,
    kBusUsb = 7,
    kBusIscsi = 9,
    kBusSas = 10,
    kBusSata = 11,
    kBusSd = 12,
    kBusMmc = 13,
    kBusVirtual = 14,
    kBusFileBackedVirtual = 15,
    kBusNvme = 17,
};

// What else of sysfs the rule looks at, besides the path.
struct BusHints {
    std::string_view mmcType;        // device/type of an MMC block device: "SD", "MMC", ...
    std::string_view ataLinkSpeed;   // sata_spd of the disk's ATA link: "6.0 Gbps", "<unknown>"
    std::string_view scsiHostDriver; // proc_name of the SCSI host: "ahci", "pata_via", ...
};

// `devicePath` is the resolved /sys/block/NAME link, for example
// /sys/devices/pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0/block/sda.
std::uint8_t BusTypeFromSysfs(std::string_view devicePath, std::string_view name,
                              const BusHints& hints);

// The number N of the "ataN" element of a libata disk's path, or -1.
int AtaPortNumber(std::string_view devicePath);

}  // namespace cendrix::platform::linux_backend
