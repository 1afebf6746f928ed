// The shared start of the tests on loop devices: a temporary folder for the
// images and mount points, and partitioned disks and mounts whose failure
// fails the test. The guards they return undo everything, also when the
// test fails half-way.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "loop_disks.h"

namespace cendrix::testing {

struct LoopFixture : ::testing::Test {
    QString Path(const QString& name) const { return dir.filePath(name); }

    // LoopDevice::Partitioned.
    std::unique_ptr<LoopDevice> PartitionedDisk(const QString& image, qint64 megabytes, const QString& table,
                                                int partitions, int pattern = 0x5A) {
        QString error;
        auto loop = LoopDevice::Partitioned(image, megabytes, table, partitions, pattern, &error);
        if (!loop) ADD_FAILURE() << error.toStdString();
        return loop;
    }

    std::unique_ptr<MountGuard> Mount(const QString& node, const QString& folder) {
        QString error;
        auto mount = MountGuard::Mount(node, folder, QStringLiteral("noatime"), &error);
        if (!mount) ADD_FAILURE() << error.toStdString();
        return mount;
    }

    // Partition 1 of `loop` mounted at `outer` and partition 2 at
    // outer/inner: a mount inside another. The inner one goes first.
    struct NestedMounts {
        std::unique_ptr<MountGuard> outer;
        std::unique_ptr<MountGuard> inner;  // set only when both are mounted
    };
    NestedMounts MountNested(const LoopDevice& loop, const QString& outer) {
        NestedMounts mounts;
        mounts.outer = Mount(loop.PartitionNode(1), outer);
        if (mounts.outer) mounts.inner = Mount(loop.PartitionNode(2), outer + "/inner");
        return mounts;
    }

    // A one-partition disk (image NAME.img) whose ext4 file system is
    // mounted at NAME, with a file on it that another process holds open.
    // The guards go in reverse order: the holder, the mount, the device.
    struct BusyDisk {
        std::unique_ptr<LoopDevice> loop;
        std::unique_ptr<MountGuard> mount;
        std::unique_ptr<HolderProcess> holder;  // set only when all went well
    };
    BusyDisk MountedDiskWithAnOpenFile(const QString& name) {
        BusyDisk busy;
        busy.loop = PartitionedDisk(Path(name + ".img"), 64, "label: dos\n,,L\n", 1);
        if (busy.loop) busy.mount = Mount(busy.loop->PartitionNode(1), Path(name));
        if (!busy.mount) return busy;
        const QString file = Path(name + "/open.txt");
        QString error;
        if (CreateImage(file, 4096, 'x')) busy.holder = HolderProcess::HoldFile(file, &error);
        if (!busy.holder) ADD_FAILURE() << "cannot hold a file open on " << name.toStdString() << ": " << error.toStdString();
        return busy;
    }

    QTemporaryDir dir;
};

}  // namespace cendrix::testing
