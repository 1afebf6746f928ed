// cendrix-cli on an emulated AHCI SATA disk: a small emulated PC boots a
// Debian kernel, runs the program against the disk and reports back. One
// boot serves every test of the suite. Skipped with the reason where the
// emulator or the guest kernel is missing.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <iostream>
#include <memory>

#include "guest_run.h"
#include "loop_disks.h"

namespace cendrix::testing {
namespace {

constexpr qint64 kImageBytes = 100 * 1024 * 1024;

// What the emulated drive says of itself: a model longer than the 16
// characters of a SCSI INQUIRY, so that the full IDENTIFY text shows.
const GuestDisk kDrive{QString(), QStringLiteral("CENDRIX EMULATED SATA DISK 2000"),
                       QStringLiteral("CDX-0123456789AB"), QStringLiteral("CX1.2.3")};

// The commands run in the guest, in this order; the tests find their output
// by position. seam-probe switches SMART on and off again and leaves it
// off: commands that expect the drive as it came stay before it.
enum Command { kListJson = 1, kList = 2, kSeamProbe = 3 };
const QStringList kCommands = {QStringLiteral("cendrix-cli list --json"), QStringLiteral("cendrix-cli list"),
                               QStringLiteral("seam-probe")};

class EmulatedSataDisk : public ::testing::Test {
public:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<QTemporaryDir>();
        GuestDisk disk = kDrive;
        disk.image = dir_->filePath(QStringLiteral("sata.img"));
        if (!CreateImage(disk.image, kImageBytes, 0x6B)) {
            run_ = std::make_unique<GuestRun>();
            run_->error = QStringLiteral("cannot create the image");
            return;
        }
        imageHash_ = Sha256(disk.image);
        run_ = std::make_unique<GuestRun>(
            RunGuest(disk, {QStringLiteral(CENDRIX_SEAM_PROBE_PATH)}, kCommands, dir_->path()));
        imageHashAfter_ = Sha256(disk.image);
        if (run_->error.isEmpty() && run_->skipReason.isEmpty()) {
            std::cout << "emulated machine: accel " << run_->timing.value("accel").toStdString() << ", boot "
                      << run_->timing.value("boot_seconds").toStdString() << " s, emulator "
                      << run_->timing.value("total_seconds").toStdString() << " s, with the initramfs "
                      << run_->timing.value("script_seconds").toStdString() << " s\n";
        }
    }
    static void TearDownTestSuite() {
        run_.reset();
        dir_.reset();
    }

protected:
    void SetUp() override {
        if (!run_->skipReason.isEmpty()) GTEST_SKIP() << run_->skipReason.toStdString();
        ASSERT_TRUE(run_->error.isEmpty()) << run_->error.toStdString() << "\n"
                                           << run_->results.toStdString() << run_->console.right(3000).toStdString();
    }

    // The output of command `n`, which must have ended with status 0.
    static const GuestCommand& Output(int n) {
        static const GuestCommand missing;
        const auto it = run_->commands.find(n);
        return it == run_->commands.end() ? missing : it->second;
    }
    static std::string Report() { return run_->results.toStdString(); }

    static std::unique_ptr<QTemporaryDir> dir_;
    static std::unique_ptr<GuestRun> run_;
    static QByteArray imageHash_;
    static QByteArray imageHashAfter_;
};

std::unique_ptr<QTemporaryDir> EmulatedSataDisk::dir_;
std::unique_ptr<GuestRun> EmulatedSataDisk::run_;
QByteArray EmulatedSataDisk::imageHash_;
QByteArray EmulatedSataDisk::imageHashAfter_;

TEST_F(EmulatedSataDisk, ListShowsTheDrivesIdentityAndTheImagesCapacity) {
    const GuestCommand& list = Output(kListJson);
    ASSERT_EQ(list.exitCode, 0) << Report();
    const QJsonArray entries = QJsonDocument::fromJson(list.out.toUtf8()).array();
    ASSERT_EQ(entries.size(), 1) << Report();
    const QJsonObject disk = entries[0].toObject();
    EXPECT_EQ(disk["devicePath"].toString(), QStringLiteral("\\\\.\\PhysicalDrive0"));
    EXPECT_EQ(disk["bus"].toString(), QStringLiteral("SATA"));
    EXPECT_EQ(disk["busType"].toInt(), 11);
    // No vendor text: the model is a blank and the drive's whole model.
    EXPECT_EQ(disk["model"].toString(), QStringLiteral(" ") + kDrive.model);
    EXPECT_EQ(disk["firmware"].toString(), kDrive.firmware);
    EXPECT_EQ(disk["serial"].toString(), kDrive.serial);
    EXPECT_EQ(disk["sectorSize"].toInt(), 512);
    EXPECT_EQ(disk["lba"].toInteger() * disk["sectorSize"].toInteger(), kImageBytes);
    EXPECT_EQ(disk["capacity"].toString(), QStringLiteral("104.85 MB"));
    EXPECT_FALSE(disk["removable"].toBool());
    EXPECT_FALSE(disk["slave"].toBool());
}

TEST_F(EmulatedSataDisk, ListLineIsTheChoosersRow) {
    const GuestCommand& list = Output(kList);
    ASSERT_EQ(list.exitCode, 0) << Report();
    EXPECT_EQ(list.out, QStringLiteral("[0]  SATA | %1 | %2 | %3 | 204800 | 104.85 MB\n")
                            .arg(kDrive.model, kDrive.firmware, kDrive.serial));
}

// The ATA requests of the transport reach the drive through SG_IO and come
// back laid out as the Windows records; what the drive says matches what
// the emulator was told.
TEST_F(EmulatedSataDisk, AtaRequestsReachTheDriveThroughTheBackend) {
    const GuestCommand& probe = Output(kSeamProbe);
    ASSERT_EQ(probe.exitCode, 0) << Report();
    QMap<QString, QString> lines;
    for (const QString& line : probe.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        lines.insert(line.section(QLatin1Char(' '), 0, 0), line.section(QLatin1Char(' '), 1));
    }
    const QString identity = QStringLiteral("model=[%1] serial=[%2] firmware=[%3]")
                                 .arg(kDrive.model, kDrive.serial, kDrive.firmware);
    EXPECT_TRUE(lines["open"].startsWith("ok=1")) << lines["open"].toStdString();
    EXPECT_EQ(lines["smart-version"], QStringLiteral("ok=1 error=0 returned=24 device-map=1"));
    EXPECT_EQ(lines["identify"], QStringLiteral("ok=1 error=0 returned=528 buffer-size=512 ") + identity +
                                     QStringLiteral(" smart-supported=1"));
    EXPECT_EQ(lines["smart-enable"], QStringLiteral("ok=1 error=0 returned=16"));
    // A SMART data sector sums to zero over its 512 bytes.
    EXPECT_TRUE(lines["smart-read"].startsWith(QStringLiteral("ok=1 error=0 returned=528 checksum=0 attributes=")))
        << lines["smart-read"].toStdString();
    EXPECT_FALSE(lines["smart-read"].endsWith(QStringLiteral("attributes=0")));
    EXPECT_EQ(lines["smart-read-send"], lines["smart-read"]);
    EXPECT_EQ(lines["smart-disable"], QStringLiteral("ok=1 error=0 returned=16"));
    EXPECT_EQ(lines["smart-read-disabled"], QStringLiteral("ok=0 error=1117 returned=0"));
    EXPECT_EQ(lines["write-dma"], QStringLiteral("ok=0 error=1 returned=0"));
    EXPECT_EQ(lines["miniport"], QStringLiteral("ok=1 error=0 returned=572 ") + identity);
    EXPECT_EQ(lines["inquiry-data"], QStringLiteral("ok=0 error=1 returned=0"));
}

TEST_F(EmulatedSataDisk, NothingWasWrittenToTheDisk) {
    EXPECT_EQ(imageHashAfter_, imageHash_);
}

}  // namespace
}  // namespace cendrix::testing
