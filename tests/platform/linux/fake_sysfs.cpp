#include "fake_sysfs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace cendrix::testing {

FakeSysfs::FakeSysfs() {
    if (!dir_.isValid()) throw std::runtime_error("no temporary folder");
    const QString sata = kSataPath;
    Write(sata + "/dev", "8:0\n");
    Write(sata + "/diskseq", "5\n");
    Write(sata + "/removable", "0\n");
    Write(sata + "/queue/max_hw_sectors_kb", "32767\n");
    Write(sata + "/queue/max_segments", "168\n");
    Write(sata + "/device/vendor", "ATA     \n");
    Write(sata + "/device/model", "WDC WD10EZEX-08W\n");
    Write(sata + "/device/rev", "1A01\n");
    Write(sata + "/device/vpd_pg80", QByteArray("\x00\x80\x00\x14", 4) + "     WD-WCC6Y3KZ1234");
    Write(sata + "/sda1/partition", "1\n");
    Write(sata + "/sda1/dev", "8:1\n");
    Write(sata + "/sda1/start", "2048\n");
    Write(sata + "/sda1/size", "8589934592\n");  // 4 TiB in 512-byte units: beyond 32 bits
    Link("sys/block/sda", "../" + sata);
    Link("sys/dev/block/8:0", "../../" + sata);
    Link("sys/dev/block/8:1", "../../" + sata + "/sda1");
    Write("class/ata_link/link1/sata_spd", "6.0 Gbps\n");
    Write("class/scsi_host/host0/proc_name", "ahci\n");

    const QString nvme = kNvmePath;
    Write(nvme + "/dev", "259:0\n");
    Write(nvme + "/hidden", "0\n");
    Write(nvme + "/removable", "0\n");
    Write("devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/model", "Samsung SSD 970 EVO Plus 1TB            \n");
    Write("devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/serial", "S4EWNX0N123456K     \n");
    Write("devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/firmware_rev", "2B2QEXM7\n");
    Link("sys/" + nvme + "/device", "..");
    Link("sys/block/nvme0n1", "../" + nvme);

    const QString loop = kLoopPath;
    Write(loop + "/dev", "7:3\n");
    Write(loop + "/diskseq", "41\n");
    Write(loop + "/loop/backing_file", "/var/tmp/disk.img\n");
    Write(loop + "/loop3p2/partition", "2\n");
    Write(loop + "/loop3p2/dev", "259:7\n");
    Write(loop + "/loop3p2/start", "65536\n");
    Write(loop + "/loop3p2/size", "65536\n");
    Link("sys/block/loop3", "../" + loop);
    Link("sys/dev/block/7:3", "../../" + loop);
    Link("sys/dev/block/259:7", "../../" + loop + "/loop3p2");
    // A loop device without a file and a RAM disk: never numbered.
    Write("devices/virtual/block/loop4/dev", "7:4\n");
    Link("sys/block/loop4", "../devices/virtual/block/loop4");
    Write("devices/virtual/block/zram0/dev", "252:0\n");
    Link("sys/block/zram0", "../devices/virtual/block/zram0");

    QDir().mkpath(dir_.filePath("dev"));
    QFile mounts(dir_.filePath("mountinfo"));
    if (!mounts.open(QIODevice::WriteOnly)) throw std::runtime_error("no mountinfo");
    mounts.write("1 0 8:1 / / rw,relatime - ext4 /dev/sda1 rw\n"
                 "2 1 0:21 / /proc rw - proc proc rw\n"
                 "3 1 259:7 / /mnt/loop\\040p2 rw,relatime shared:7 - ext4 /dev/loop3p2 rw\n"
                 "4 1 252:0 / /var/cache rw - ext4 /dev/zram0 rw\n");
}

void FakeSysfs::Write(const QString& relative, const QByteArray& bytes) {
    // Paths below devices/ and class/ live in the fake sys folder.
    const QString path = dir_.filePath(relative.startsWith("sys/") ? relative : "sys/" + relative);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write " + path.toStdString());
    file.write(bytes);
}

void FakeSysfs::Link(const QString& relative, const QString& target) {
    const QString path = dir_.filePath(relative);
    QDir().mkpath(QFileInfo(path).path());
    if (!QFile::link(target, path)) throw std::runtime_error("cannot link " + path.toStdString());
}

}  // namespace cendrix::testing
