// Disks made for a test: image files attached as loop devices, their file
// systems mounted in the test's own folder, and processes that hold a file
// or a lock on them. Every guard undoes what it did, also when the test
// fails half-way: mounts are unmounted and loop devices detached.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

namespace cendrix::testing {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
    bool Ok() const { return exitCode == 0; }
};

// Runs a program to its end (at most two minutes).
ToolRun RunTool(const QString& program, const QStringList& args, const QByteArray& input = {});

// Why loop-device tests cannot run here (not root, no losetup, no loop
// devices), or an empty text when they can.
QString LoopSkipReason();
// The same for the partition tools the partitioned tests need as well.
QString PartitionToolsSkipReason();

// A sparse image file of `size` bytes, or filled with `pattern`.
bool CreateImage(const QString& path, qint64 size, int pattern = -1);
QByteArray ReadBytes(const QString& path, qint64 offset, qint64 length);
QByteArray Sha256(const QString& path);

class LoopDevice {
public:
    // Attaches `image` (losetup --find), with that logical sector size and,
    // when asked, scanning its partitions. Null with `error` set on failure.
    static std::unique_ptr<LoopDevice> Attach(const QString& image, int sectorSize, bool partitions,
                                              QString* error);
    // Attaches `image` to the loop device `name` (loop3), which must be free.
    static std::unique_ptr<LoopDevice> AttachAs(const QString& name, const QString& image, QString* error);
    ~LoopDevice();
    LoopDevice(const LoopDevice&) = delete;
    LoopDevice& operator=(const LoopDevice&) = delete;

    QString Name() const { return name_; }                    // loop3
    QString Node() const { return QStringLiteral("/dev/") + name_; }
    QString PartitionNode(int n) const { return Node() + QStringLiteral("p%1").arg(n); }
    QString PartitionName(int n) const { return name_ + QStringLiteral("p%1").arg(n); }
    // Waits until the partition nodes 1..count exist. A kernel built without
    // partition table parsers finds none when it scans; then the table is
    // read here (partx) and the partitions are added one by one (BLKPG).
    bool WaitForPartitions(int count, QString* error);
    // Detaches now (the destructor then has nothing left to do).
    bool Detach();

    // An image of `megabytes` MiB filled with `pattern`, partitioned as
    // `table` (an sfdisk script) with ext4 on each of its `partitions`, and
    // attached with its partitions. Null with `error` set on failure.
    static std::unique_ptr<LoopDevice> Partitioned(const QString& image, qint64 megabytes, const QString& table,
                                                   int partitions, int pattern, QString* error);

private:
    explicit LoopDevice(QString name) : name_(std::move(name)) {}
    QString name_;
    bool attached_ = true;
};

// Mounts `node` at `folder` (created when missing); unmounts on destruction
// if it is still mounted there.
class MountGuard {
public:
    static std::unique_ptr<MountGuard> Mount(const QString& node, const QString& folder,
                                             const QString& options, QString* error);
    ~MountGuard();
    QString Folder() const { return folder_; }
    bool Mounted() const;

private:
    explicit MountGuard(QString folder) : folder_(std::move(folder)) {}
    QString folder_;
};

// A process that keeps running until the guard goes: it holds a file open
// (`exec 3<file`) or a disk's flock (`flock node`) meanwhile.
class HolderProcess {
public:
    static std::unique_ptr<HolderProcess> HoldFile(const QString& file, QString* error);
    static std::unique_ptr<HolderProcess> HoldLock(const QString& node, QString* error);
    ~HolderProcess();
    void Stop();

private:
    static std::unique_ptr<HolderProcess> Start(const QString& program, const QStringList& args,
                                                QString* error);
    QProcess process_;
};

// The mount points of /proc/self/mountinfo, decoded.
QStringList MountPoints();

}  // namespace cendrix::testing
