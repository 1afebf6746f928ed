#include "loop_disks.h"

#include <sys/mount.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include "platform/linux/mountinfo.h"
#include "platform/linux/sysfs.h"

namespace cendrix::testing {

namespace lb = platform::linux_backend;

namespace {

std::vector<lb::MountEntry> Mounts() {
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return lb::ParseMountInfo(file.readAll().toStdString());
}

}  // namespace

ToolRun RunTool(const QString& program, const QStringList& args, const QByteArray& input) {
    QProcess process;
    process.start(program, args);
    ToolRun run;
    if (!process.waitForStarted()) {
        run.err = program + QStringLiteral(" did not start: ") + process.errorString();
        return run;
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000)) process.kill();
    process.waitForFinished();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString LoopSkipReason() {
    if (::geteuid() != 0) return QStringLiteral("loop-device tests need root");
    if (QStandardPaths::findExecutable(QStringLiteral("losetup")).isEmpty()) {
        return QStringLiteral("loop-device tests need losetup (Debian package util-linux)");
    }
    if (!QFileInfo::exists(QStringLiteral("/dev/loop-control"))) {
        return QStringLiteral("loop-device tests need /dev/loop-control (the loop driver)");
    }
    return {};
}

QString PartitionToolsSkipReason() {
    if (QString reason = LoopSkipReason(); !reason.isEmpty()) return reason;
    const std::pair<const char*, const char*> tools[] = {
        {"sfdisk", "fdisk"}, {"partx", "util-linux"}, {"mkfs.ext4", "e2fsprogs"}, {"mount", "mount"}, {"flock", "util-linux"}};
    for (const auto& [tool, package] : tools) {
        if (QStandardPaths::findExecutable(tool).isEmpty() &&
            QStandardPaths::findExecutable(tool, {"/sbin", "/usr/sbin"}).isEmpty()) {
            return QStringLiteral("this test needs %1 (Debian package %2)").arg(tool, package);
        }
    }
    return {};
}

bool CreateImage(const QString& path, qint64 size, int pattern) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    if (pattern < 0) return file.resize(size);
    const QByteArray chunk(1 << 20, static_cast<char>(pattern));
    for (qint64 done = 0; done < size;) {
        const qint64 n = std::min<qint64>(chunk.size(), size - done);
        if (file.write(chunk.constData(), n) != n) return false;
        done += n;
    }
    return true;
}

QByteArray ReadBytes(const QString& path, qint64 offset, qint64 length) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(offset)) return {};
    return file.read(length);
}

QByteArray Sha256(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result().toHex();
}

std::unique_ptr<LoopDevice> LoopDevice::Attach(const QString& image, int sectorSize, bool partitions,
                                               QString* error) {
    QStringList args{QStringLiteral("--find"), QStringLiteral("--show"), QStringLiteral("--sector-size"),
                     QString::number(sectorSize)};
    if (partitions) args << QStringLiteral("--partscan");
    args << image;
    const ToolRun run = RunTool(QStringLiteral("losetup"), args);
    const QString node = run.out.trimmed();
    if (!run.Ok() || !node.startsWith(QStringLiteral("/dev/loop"))) {
        *error = QStringLiteral("losetup %1 failed: %2").arg(args.join(' '), run.err.trimmed());
        return nullptr;
    }
    return std::unique_ptr<LoopDevice>(new LoopDevice(node.mid(5)));
}

std::unique_ptr<LoopDevice> LoopDevice::AttachAs(const QString& name, const QString& image, QString* error) {
    const ToolRun run = RunTool(QStringLiteral("losetup"), {QStringLiteral("/dev/") + name, image});
    if (!run.Ok()) {
        *error = QStringLiteral("losetup /dev/%1 %2 failed: %3").arg(name, image, run.err.trimmed());
        return nullptr;
    }
    return std::unique_ptr<LoopDevice>(new LoopDevice(name));
}

std::unique_ptr<LoopDevice> LoopDevice::Partitioned(const QString& image, qint64 megabytes, const QString& table,
                                                    int partitions, int pattern, QString* error) {
    if (!CreateImage(image, megabytes << 20, pattern)) {
        *error = QStringLiteral("cannot create ") + image;
        return nullptr;
    }
    const ToolRun sfdisk = RunTool(QStringLiteral("sfdisk"), {QStringLiteral("--quiet"), image}, table.toUtf8());
    if (!sfdisk.Ok()) {
        *error = QStringLiteral("sfdisk: ") + sfdisk.err.trimmed();
        return nullptr;
    }
    auto loop = Attach(image, 512, true, error);
    if (!loop || !loop->WaitForPartitions(partitions, error)) return nullptr;
    for (int n = 1; n <= partitions; ++n) {
        // Everything initialised now, so that no background work of the
        // file system writes to the disk while a test compares its bytes.
        const ToolRun mkfs = RunTool(QStringLiteral("mkfs.ext4"),
                                     {QStringLiteral("-q"), QStringLiteral("-F"), QStringLiteral("-E"),
                                      QStringLiteral("lazy_itable_init=0,lazy_journal_init=0"),
                                      loop->PartitionNode(n)});
        if (!mkfs.Ok()) {
            *error = QStringLiteral("mkfs.ext4: ") + mkfs.err.trimmed();
            return nullptr;
        }
    }
    return loop;
}

bool LoopDevice::WaitForPartitions(int count, QString* error) {
    auto present = [&] {
        for (int n = 1; n <= count; ++n) {
            if (!QFileInfo::exists(PartitionNode(n))) return false;
        }
        return true;
    };
    for (int wait = 0; wait < 20 && !present(); ++wait) QThread::msleep(50);
    if (present()) return true;
    const ToolRun partx = RunTool(QStringLiteral("partx"), {QStringLiteral("--add"), Node()});
    for (int wait = 0; wait < 100 && !present(); ++wait) QThread::msleep(50);
    if (present()) return true;
    *error = QStringLiteral("the partitions of %1 did not appear: %2").arg(Node(), partx.err.trimmed());
    return false;
}

bool LoopDevice::Detach() {
    if (!attached_) return true;
    // Anything still mounted from this device or its partitions (a test
    // that failed before its own guard ran) goes first, lazily, so that the
    // device can always be let go.
    const std::string disk = name_.toStdString();
    for (const lb::MountEntry& m : Mounts()) {
        const auto where = lb::LocateBlockDevice("/sys", m.major, m.minor);
        if (m.major != 0 && where && where->disk == disk) ::umount2(m.mountPoint.c_str(), MNT_DETACH);
    }
    attached_ = !RunTool(QStringLiteral("losetup"), {QStringLiteral("--detach"), Node()}).Ok();
    return !attached_;
}

LoopDevice::~LoopDevice() { Detach(); }

std::unique_ptr<MountGuard> MountGuard::Mount(const QString& node, const QString& folder,
                                              const QString& options, QString* error) {
    QDir().mkpath(folder);
    QStringList args;
    if (!options.isEmpty()) args << QStringLiteral("-o") << options;
    args << node << folder;
    const ToolRun run = RunTool(QStringLiteral("mount"), args);
    if (!run.Ok()) {
        *error = QStringLiteral("mount %1 failed: %2").arg(args.join(' '), run.err.trimmed());
        return nullptr;
    }
    return std::unique_ptr<MountGuard>(new MountGuard(folder));
}

bool MountGuard::Mounted() const { return MountPoints().contains(folder_); }

MountGuard::~MountGuard() {
    if (Mounted()) ::umount2(folder_.toLocal8Bit().constData(), MNT_DETACH);
}

std::unique_ptr<HolderProcess> HolderProcess::Start(const QString& program, const QStringList& args,
                                                    QString* error) {
    auto holder = std::unique_ptr<HolderProcess>(new HolderProcess);
    holder->process_.start(program, args);
    // The holder says "ready" once it holds what it should.
    while (holder->process_.waitForReadyRead(20000)) {
        if (holder->process_.readAllStandardOutput().contains("ready")) return holder;
    }
    *error = program + QStringLiteral(" did not get ready: ") +
             QString::fromUtf8(holder->process_.readAllStandardError());
    return nullptr;
}

std::unique_ptr<HolderProcess> HolderProcess::HoldFile(const QString& file, QString* error) {
    return Start(QStringLiteral("sh"),
                 {QStringLiteral("-c"), QStringLiteral("exec 3<\"$0\"; echo ready; exec sleep 600"), file},
                 error);
}

std::unique_ptr<HolderProcess> HolderProcess::HoldLock(const QString& node, QString* error) {
    // One process from start to end: the shell opens the node, locks that
    // open file and becomes the sleep, so killing it lets the lock go.
    return Start(QStringLiteral("sh"),
                 {QStringLiteral("-c"),
                  QStringLiteral("exec 9<\"$0\"; flock --exclusive 9; echo ready; exec sleep 600"), node},
                 error);
}

void HolderProcess::Stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(10000);
}

HolderProcess::~HolderProcess() { Stop(); }

QStringList MountPoints() {
    QStringList points;
    for (const lb::MountEntry& m : Mounts()) points << QString::fromStdString(m.mountPoint);
    return points;
}

}  // namespace cendrix::testing
