#include "platform/linux/bus_type.h"

#include <gtest/gtest.h>

namespace cendrix::platform::linux_backend {
namespace {

TEST(BusType, FromRealSysfsPaths) {
    struct Case {
        const char* what;
        const char* path;
        const char* name;
        BusHints hints;
        std::uint8_t bus;
    };
    const Case cases[] = {
        {"AHCI SATA", "/sys/devices/pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0/block/sda",
         "sda", {"", "6.0 Gbps", "ahci"}, kBusSata},
        {"SATA link without a speed file", "/sys/devices/pci0000:00/0000:00:1f.2/ata3/host2/target2:0:0/2:0:0:0/block/sdc",
         "sdc", {}, kBusSata},
        {"PATA host driver", "/sys/devices/pci0000:00/0000:00:0f.1/ata5/host4/target4:0:0/4:0:0:0/block/sdd",
         "sdd", {"", "<unknown>", "pata_via"}, kBusAta},
        {"IDE link without a serial speed", "/sys/devices/pci0000:00/0000:00:01.1/ata2/host1/target1:0:0/1:0:0:0/block/sdb",
         "sdb", {"", "<unknown>", "ata_piix"}, kBusAta},
        {"USB stick", "/sys/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block/sdb",
         "sdb", {}, kBusUsb},
        {"USB UAS bridge", "/sys/devices/pci0000:00/0000:00:14.0/usb4/4-2/4-2:1.0/host7/target7:0:0/7:0:0:0/block/sde",
         "sde", {"", "", "uas"}, kBusUsb},
        {"NVMe", "/sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/nvme0n1", "nvme0n1", {}, kBusNvme},
        {"NVMe multipath head", "/sys/devices/virtual/nvme-subsystem/nvme-subsys0/nvme0n1", "nvme0n1", {}, kBusNvme},
        {"virtio-blk", "/sys/devices/pci0000:00/0000:00:02.0/virtio1/block/vda", "vda", {}, kBusVirtual},
        {"virtio-scsi", "/sys/devices/pci0000:00/0000:00:03.0/virtio0/host0/target0:0:0/0:0:0:0/block/sda",
         "sda", {"", "", "virtio_scsi"}, kBusScsi},
        {"Xen", "/sys/devices/vbd-51712/block/xvda", "xvda", {}, kBusVirtual},
        {"loop", "/sys/devices/virtual/block/loop0", "loop0", {}, kBusFileBackedVirtual},
        {"SD card", "/sys/devices/pci0000:00/0000:00:1e.6/mmc_host/mmc0/mmc0:aaaa/block/mmcblk0",
         "mmcblk0", {"SD", "", ""}, kBusSd},
        {"eMMC", "/sys/devices/platform/fe330000.mmc/mmc_host/mmc1/mmc1:0001/block/mmcblk1",
         "mmcblk1", {"MMC", "", ""}, kBusMmc},
        {"SAS", "/sys/devices/pci0000:00/0000:00:01.0/0000:01:00.0/host0/port-0:0/end_device-0:0/target0:0:0/0:0:0:0/block/sda",
         "sda", {"", "", "mpt3sas"}, kBusSas},
        {"SAS behind an expander", "/sys/devices/pci0000:00/0000:00:02.0/0000:02:00.0/host1/port-1:0/expander-1:0/port-1:0:4/end_device-1:0:4/target1:0:4/1:0:4:0/block/sdf",
         "sdf", {}, kBusSas},
        {"parallel SCSI", "/sys/devices/pci0000:00/0000:00:10.0/host2/target2:0:0/2:0:0:0/block/sdc",
         "sdc", {"", "", "mptspi"}, kBusScsi},
        {"iSCSI", "/sys/devices/platform/host3/session1/target3:0:0/3:0:0:0/block/sdd", "sdd", {}, kBusIscsi},
        {"nothing known", "/sys/devices/platform/something/block/xyz0", "xyz0", {}, kBusUnknown},
    };
    for (const Case& c : cases) EXPECT_EQ(BusTypeFromSysfs(c.path, c.name, c.hints), c.bus) << c.what;
}

TEST(BusType, AtaPortNumberOfALibataPath) {
    EXPECT_EQ(AtaPortNumber("/sys/devices/pci0000:00/0000:00:1f.2/ata12/host11/target11:0:0/11:0:0:0/block/sdk"), 12);
    EXPECT_EQ(AtaPortNumber("/sys/devices/pci0000:00/0000:00:02.0/virtio1/block/vda"), -1);
    EXPECT_EQ(AtaPortNumber("/sys/devices/platform/data/block/sda"), -1);
}

}  // namespace
}  // namespace cendrix::platform::linux_backend
