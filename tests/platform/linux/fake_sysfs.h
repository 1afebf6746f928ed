// A small sysfs tree in a temporary folder: a SATA disk with a partition,
// an NVMe namespace and a loop device with a partition, plus a mountinfo
// file naming their file systems. Enough to run the backend's sysfs
// readers, and LinuxStorage itself up to the point where it would open a
// device node, without root and without touching a real disk.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <string>

namespace cendrix::testing {

class FakeSysfs {
public:
    FakeSysfs();

    std::string SysRoot() const { return (dir_.path() + QStringLiteral("/sys")).toStdString(); }
    std::string DevRoot() const { return (dir_.path() + QStringLiteral("/dev")).toStdString(); }
    std::string MountInfo() const { return (dir_.path() + QStringLiteral("/mountinfo")).toStdString(); }

    void Write(const QString& relative, const QByteArray& bytes);
    void Link(const QString& relative, const QString& target);

    static constexpr const char* kSataPath =
        "devices/pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0/block/sda";
    static constexpr const char* kNvmePath = "devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/nvme0n1";
    static constexpr const char* kLoopPath = "devices/virtual/block/loop3";

private:
    QTemporaryDir dir_;
};

}  // namespace cendrix::testing
