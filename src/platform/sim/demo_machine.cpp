#include "platform/sim/demo_machine.h"

#include "platform/control_codes.h"
#include "platform/sim/sim_sectors.h"

namespace cendrix::platform::sim {

Machine DemoMachine(const std::string& folder) {
    Machine m;

    // A 500 GB SATA disk carrying the system volume and a data volume.
    Disk sata;
    sata.number = 0;
    sata.imagePath = folder + "/sata-500g.img";
    sata.size = 500107862016;  // 976,773,168 sectors
    sata.bus = 11;
    sata.maxTransfer = 131072;
    sata.product = "WDC WD5000AAKX-00ERMA0";
    sata.revision = "15.01H15";
    sata.serialRaw = EncodeSerialAtaOrder("WD-WCC2EU123456");
    sata.punchZeros = true;  // a full demo wipe must not fill the user's disk
    IdentifyFields id;
    id.model = sata.product;
    id.serial = "WD-WCC2EU123456";
    id.firmware = sata.revision;
    id.sectors = sata.size / 512;
    id.security = true;
    id.queueDepth = 31;
    id.bufferBytes = 16 * 1024 * 1024;
    sata.identify = BuildIdentifySector(id);
    sata.smart = BuildSmartSector({
        {1, 0x002F, 200, 200, 0},
        {3, 0x0027, 176, 175, 4183},
        {4, 0x0032, 100, 100, 1204},
        {5, 0x0033, 200, 200, 0},
        {7, 0x002E, 200, 200, 0},
        {9, 0x0032, 71, 71, 21547},
        {10, 0x0032, 100, 100, 0},
        {11, 0x0032, 100, 100, 0},
        {12, 0x0032, 100, 100, 1198},
        {192, 0x0032, 200, 200, 87},
        {193, 0x0032, 199, 199, 3351},
        {194, 0x0022, 111, 96, (std::uint64_t{45} << 32) | (std::uint64_t{20} << 16) | 36},
        {196, 0x0032, 200, 200, 0},
        {197, 0x0032, 200, 200, 0},
        {198, 0x0030, 200, 200, 0},
        {199, 0x0032, 200, 200, 0},
        {200, 0x0008, 200, 200, 0},
    });
    m.disks.push_back(sata);

    // A 16 GB USB stick: its bridge passes no ATA commands.
    Disk usb;
    usb.number = 1;
    usb.imagePath = folder + "/usb-16g.img";
    usb.size = 16008609792;  // 31,266,816 sectors
    usb.bus = 7;
    usb.maxTransfer = 245760;
    usb.vendor = "SanDisk";
    usb.product = "Cruzer Blade";
    usb.revision = "1.00";
    usb.serialRaw = EncodeSerialAtaOrder("4C530001230508117393");
    usb.removable = true;
    usb.punchZeros = true;
    usb.refuse = {SMART_GET_VERSION, SMART_SEND_DRIVE_COMMAND, SMART_RCV_DRIVE_DATA,
                  IOCTL_SCSI_MINIPORT};
    m.disks.push_back(usb);

    // A 32 MB CompactFlash card on the ATA bus: too small to be chosen.
    Disk cf;
    cf.number = 2;
    cf.imagePath = folder + "/cf-32m.img";
    cf.size = 62720 * 512;
    cf.bus = 3;
    cf.maxTransfer = 65536;
    cf.product = "SanDisk SDCFB-32";
    cf.revision = "HDX 4.04";
    cf.serialRaw = EncodeSerialAtaOrder("X0312 20021118");
    cf.removable = true;
    IdentifyFields cfId;
    cfId.model = cf.product;
    cfId.serial = "X0312 20021118";
    cfId.firmware = cf.revision;
    cfId.sectors = 62720;
    cfId.lba48 = false;
    cfId.smart = false;
    cfId.hpa = false;
    cfId.udmaSupported = -1;
    cfId.dma = false;
    cf.identify = BuildIdentifySector(cfId);
    m.disks.push_back(cf);

    // A 4 TB SAS disk with 4096-byte sectors.
    Disk sas;
    sas.number = 3;
    sas.imagePath = folder + "/sas-4t-4kn.img";
    sas.size = 4000787030016;  // 976,754,646 sectors of 4096 bytes
    sas.sectorSize = 4096;
    sas.bus = 10;
    sas.maxTransfer = 1048576;
    sas.vendor = "SEAGATE";
    sas.product = "ST4000NM0025";
    sas.revision = "E002";
    sas.serialRaw = EncodeSerialAtaOrder("ZC11ABCD0000J745DTKK");
    sas.punchZeros = true;
    sas.refuse = {SMART_GET_VERSION, SMART_SEND_DRIVE_COMMAND, SMART_RCV_DRIVE_DATA,
                  IOCTL_SCSI_MINIPORT};
    m.disks.push_back(sas);

    m.volumes = {
        {"C:", 7, 0, 1},
        {"D:", 7, 0, 2},
        {"E:", 7, 1, 1},
        {"F:", 2, 0, 0},  // an optical drive
        {"G:", 7, 3, 1},
    };
    return m;
}

}  // namespace cendrix::platform::sim
