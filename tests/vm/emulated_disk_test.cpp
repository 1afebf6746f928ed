// cendrix-cli on emulated ATA disks: a small emulated PC boots a Debian
// kernel, runs the program against its two disks (one on an AHCI port, one
// on the board's IDE channel) and reports back. One boot serves every test
// of the suite. Skipped with the reason where the emulator or the guest
// kernel is missing.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <iostream>
#include <memory>
#include <vector>

#include "guest_run.h"
#include "loop_disks.h"
#include "shell/text_format.h"
#include "smart/smart_catalogue.h"

namespace cendrix::testing {
namespace {

constexpr qint64 kMiB = 1024 * 1024;

// A disk of the guest and what the tests expect the programs to show of it.
struct Drive {
    GuestDisk disk;
    qint64 bytes;
    QString bus;        // the list's bus column
    int busType;
    QString capacity;   // FormatCapacity of the image's size
};

// What the emulated drives say of themselves: models longer than the 16
// characters of a SCSI INQUIRY, so that the full IDENTIFY text shows. Disk 0
// is a SATA drive, whose S.M.A.R.T. report reads the data as it is; disk 1
// is on the ATA bus, where the report switches SMART on for the read.
const Drive kDrives[] = {
    {{GuestDisk::Kind::Sata, QString(), QStringLiteral("CENDRIX EMULATED SATA DISK 2000"),
      QStringLiteral("CDX-0123456789AB"), QStringLiteral("CX1.2.3")},
     100 * kMiB, QStringLiteral("SATA"), 11, QStringLiteral("104.85 MB")},
    {{GuestDisk::Kind::Pata, QString(), QStringLiteral("CENDRIX EMULATED PATA DISK 40"),
      QStringLiteral("PATA-7788"), QStringLiteral("PX0.9")},
     80 * kMiB, QStringLiteral("ATA"), 3, QStringLiteral("83.88 MB")},
};

// The commands run in the guest, in this order; the tests find their output
// by position. The reports come before the full seam-probe, which switches
// SMART on and off again and leaves it off; "seam-probe state" looks at a
// drive's SMART state without changing it.
enum Command {
    kListJson = 1,
    kList,
    kAtaStateBefore,
    kInfo0,
    kSmart0,
    kInfo1,
    kSmart1,
    kSataState,
    kAtaStateAfter,
    kSeamProbe,
};
const QStringList kCommands = {
    QStringLiteral("cendrix-cli list --json"), QStringLiteral("cendrix-cli list"),
    QStringLiteral("seam-probe state 1"),      QStringLiteral("cendrix-cli info 0"),
    QStringLiteral("cendrix-cli smart 0"),     QStringLiteral("cendrix-cli info 1"),
    QStringLiteral("cendrix-cli smart 1"),     QStringLiteral("seam-probe state 0"),
    QStringLiteral("seam-probe state 1"),      QStringLiteral("seam-probe 0"),
};

// Per disk: its report commands and the seam-probe state that lists its
// attributes after its report.
struct ReportCommands {
    int info;
    int smart;
    int stateAfter;
};
const ReportCommands kReports[] = {{kInfo0, kSmart0, kSataState}, {kInfo1, kSmart1, kAtaStateAfter}};

// The caption of disk `n` in both reports: number, model, firmware,
// capacity of the image, sectors.
QString Caption(int n) {
    const Drive& d = kDrives[n];
    return QStringLiteral("[%1]  %2    %3    [%4]    (%5 512-字节扇区)")
        .arg(n)
        .arg(d.disk.model, d.disk.firmware, d.capacity)
        .arg(d.bytes / 512);
}

// One entry of a SMART attribute table.
struct Attribute {
    int id = 0;
    int current = 0;
    int worst = 0;
    quint64 raw = 0;
    bool operator==(const Attribute&) const = default;
};

// What seam-probe printed: NAME -> the rest of its line, and the attribute
// lines in their order.
struct ProbeOutput {
    QMap<QString, QString> lines;
    std::vector<Attribute> attributes;
};

ProbeOutput ParseProbe(const QString& out) {
    ProbeOutput probe;
    static const QRegularExpression attribute(
        QStringLiteral("^attribute id=(\\d+) current=(\\d+) worst=(\\d+) raw=(\\d+)$"));
    for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (const auto m = attribute.match(line); m.hasMatch()) {
            probe.attributes.push_back(
                {m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toULongLong()});
        } else {
            probe.lines.insert(line.section(QLatin1Char(' '), 0, 0), line.section(QLatin1Char(' '), 1));
        }
    }
    return probe;
}

QStringList Lines(const QString& out) {
    QStringList lines = out.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    return lines;
}

class EmulatedAtaDisks : public ::testing::Test {
public:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<QTemporaryDir>();
        std::vector<GuestDisk> disks;
        for (const Drive& drive : kDrives) {
            GuestDisk disk = drive.disk;
            disk.image = dir_->filePath(QStringLiteral("disk%1.img").arg(disks.size()));
            if (!CreateImage(disk.image, drive.bytes, 0x6B)) {
                run_ = std::make_unique<GuestRun>();
                run_->error = QStringLiteral("cannot create the image ") + disk.image;
                return;
            }
            imageHashes_.push_back(Sha256(disk.image));
            disks.push_back(disk);
        }
        run_ = std::make_unique<GuestRun>(
            RunGuest(disks, {QStringLiteral(CENDRIX_SEAM_PROBE_PATH)}, kCommands, dir_->path()));
        for (const GuestDisk& disk : disks) imageHashesAfter_.push_back(Sha256(disk.image));
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

    // The output of command `n`.
    static const GuestCommand& Output(int n) {
        static const GuestCommand missing;
        const auto it = run_->commands.find(n);
        return it == run_->commands.end() ? missing : it->second;
    }
    static std::string Report() { return run_->results.toStdString(); }

    static std::unique_ptr<QTemporaryDir> dir_;
    static std::unique_ptr<GuestRun> run_;
    static std::vector<QByteArray> imageHashes_;
    static std::vector<QByteArray> imageHashesAfter_;
};

std::unique_ptr<QTemporaryDir> EmulatedAtaDisks::dir_;
std::unique_ptr<GuestRun> EmulatedAtaDisks::run_;
std::vector<QByteArray> EmulatedAtaDisks::imageHashes_;
std::vector<QByteArray> EmulatedAtaDisks::imageHashesAfter_;

TEST_F(EmulatedAtaDisks, ListShowsEachDrivesIdentityAndItsImagesCapacity) {
    const GuestCommand& list = Output(kListJson);
    ASSERT_EQ(list.exitCode, 0) << Report();
    const QJsonArray entries = QJsonDocument::fromJson(list.out.toUtf8()).array();
    ASSERT_EQ(entries.size(), 2) << Report();
    for (int n = 0; n < 2; ++n) {
        const Drive& drive = kDrives[n];
        SCOPED_TRACE(drive.disk.model.toStdString());
        const QJsonObject disk = entries[n].toObject();
        EXPECT_EQ(disk["devicePath"].toString(), QStringLiteral("\\\\.\\PhysicalDrive%1").arg(n));
        EXPECT_EQ(disk["bus"].toString(), drive.bus);
        EXPECT_EQ(disk["busType"].toInt(), drive.busType);
        // No vendor text: the model is a blank and the drive's whole model.
        EXPECT_EQ(disk["model"].toString(), QStringLiteral(" ") + drive.disk.model);
        EXPECT_EQ(disk["firmware"].toString(), drive.disk.firmware);
        EXPECT_EQ(disk["serial"].toString(), drive.disk.serial);
        EXPECT_EQ(disk["sectorSize"].toInt(), 512);
        EXPECT_EQ(disk["lba"].toInteger() * disk["sectorSize"].toInteger(), drive.bytes);
        EXPECT_EQ(disk["capacity"].toString(), drive.capacity);
        EXPECT_FALSE(disk["removable"].toBool());
        EXPECT_FALSE(disk["slave"].toBool());
    }
}

TEST_F(EmulatedAtaDisks, ListLinesAreTheChoosersRows) {
    const GuestCommand& list = Output(kList);
    ASSERT_EQ(list.exitCode, 0) << Report();
    QString expected;
    for (int n = 0; n < 2; ++n) {
        const Drive& d = kDrives[n];
        expected += QStringLiteral("[%1]  %2 | %3 | %4 | %5 | %6 | %7\n")
                        .arg(n)
                        .arg(d.bus, d.disk.model, d.disk.firmware, d.disk.serial)
                        .arg(d.bytes / 512)
                        .arg(d.capacity);
    }
    EXPECT_EQ(list.out, expected);
}

// The device details report decodes each drive's IDENTIFY data: the
// identity the emulator was given and the capacity of the image, not the
// texts of a SCSI translation.
TEST_F(EmulatedAtaDisks, DetailsReportShowsTheChosenIdentityAndTheImagesCapacity) {
    for (int n = 0; n < 2; ++n) {
        const Drive& drive = kDrives[n];
        SCOPED_TRACE(drive.disk.model.toStdString());
        const GuestCommand& info = Output(kReports[n].info);
        ASSERT_EQ(info.exitCode, 0) << Report();
        const QStringList lines = Lines(info.out);
        ASSERT_GE(lines.size(), 4) << Report();
        EXPECT_TRUE(lines[1].startsWith(QStringLiteral("当前日期和时间:               "))) << lines[1].toStdString();
        EXPECT_EQ(lines[2], QStringLiteral("设备详细信息             ") + Caption(n));
        for (const QString& expected : {
                 QStringLiteral("型号:    ") + drive.disk.model,
                 QStringLiteral("固件版本:              ") + drive.disk.firmware,
                 QStringLiteral("序列号:           ") + drive.disk.serial,
                 QStringLiteral("LBA 命令可用扇区:                          ") + GroupThousands(drive.bytes / 512),
                 QStringLiteral("设备全容量:                ") + GroupThousands(drive.bytes) +
                     QStringLiteral(" 字节"),
                 QStringLiteral("支持 SMART"),
             }) {
            EXPECT_TRUE(lines.contains(expected)) << "missing: " << expected.toStdString() << "\n" << Report();
        }
    }
}

// Every attribute a drive reports is a row of its S.M.A.R.T. report, with
// the catalogue's name and the values seam-probe read from the same drive.
TEST_F(EmulatedAtaDisks, SmartReportListsEveryAttributeTheDriveReports) {
    static const QRegularExpression row(
        QStringLiteral("^ (\\d+) +([0-9A-F]{2})  .* +(\\d+) +(\\d+) +(\\d+)(  \\((\\d+) 度\\) )?$"));
    for (int n = 0; n < 2; ++n) {
        SCOPED_TRACE(kDrives[n].disk.model.toStdString());
        const GuestCommand& smart = Output(kReports[n].smart);
        ASSERT_EQ(smart.exitCode, 0) << Report();
        const ProbeOutput state = ParseProbe(Output(kReports[n].stateAfter).out);
        ASSERT_TRUE(state.lines["smart-read-as-found"].startsWith(QStringLiteral("ok=1"))) << Report();
        const std::vector<Attribute>& expected = state.attributes;
        ASSERT_FALSE(expected.empty()) << Report();

        const QStringList lines = Lines(smart.out);
        ASSERT_GE(lines.size(), 3) << Report();
        EXPECT_EQ(lines[2], QStringLiteral("SMART 数据       ") + Caption(n));
        const qsizetype dashes = lines.indexOf(QString(88, QLatin1Char('-')));
        ASSERT_GT(dashes, 0) << Report();
        EXPECT_TRUE(lines[dashes - 1].startsWith(QStringLiteral("          属性")));
        ASSERT_EQ(lines.size(), dashes + 1 + static_cast<qsizetype>(expected.size()) + 1) << Report();
        EXPECT_EQ(lines.back(), QStringLiteral(" "));

        for (std::size_t k = 0; k < expected.size(); ++k) {
            const Attribute& a = expected[k];
            const QString line = lines[dashes + 1 + static_cast<qsizetype>(k)];
            SCOPED_TRACE(line.toStdString());
            const auto m = row.match(line);
            ASSERT_TRUE(m.hasMatch());
            const Attribute shown{m.captured(1).toInt(), m.captured(3).toInt(), m.captured(4).toInt(),
                                  m.captured(5).toULongLong()};
            EXPECT_EQ(shown, a);
            EXPECT_EQ(m.captured(2), QStringLiteral("%1").arg(a.id, 2, 16, QLatin1Char('0')).toUpper());
            EXPECT_EQ(line.mid(10, SmartAttributeName(a.id).size()), SmartAttributeName(a.id));
            // The temperature note belongs to attribute 194 alone: its first
            // raw byte in degrees Celsius.
            if (a.id == 194) {
                EXPECT_EQ(m.captured(7), QString::number(a.raw & 0xFF));
            } else {
                EXPECT_TRUE(m.captured(6).isEmpty());
            }
        }
    }
}

// The drive on the ATA bus came with SMART on. Its report switches SMART on
// for the read but does not switch it off afterwards: the drive still
// answers READ DATA without being switched on first, with the same table.
TEST_F(EmulatedAtaDisks, SmartReportLeavesSmartOnWhereItWasOn) {
    ASSERT_EQ(Output(kSmart1).exitCode, 0) << Report();
    ASSERT_EQ(Output(kAtaStateBefore).exitCode, 0) << Report();
    ASSERT_EQ(Output(kAtaStateAfter).exitCode, 0) << Report();
    const ProbeOutput before = ParseProbe(Output(kAtaStateBefore).out);
    const ProbeOutput after = ParseProbe(Output(kAtaStateAfter).out);
    EXPECT_TRUE(before.lines["identify"].endsWith(QStringLiteral("smart-supported=1 smart-enabled=1")))
        << before.lines["identify"].toStdString();
    EXPECT_TRUE(before.lines["smart-read-as-found"].startsWith(QStringLiteral("ok=1 error=0 returned=528")))
        << Report();
    EXPECT_TRUE(after.lines["smart-read-as-found"].startsWith(QStringLiteral("ok=1 error=0 returned=528")))
        << "the S.M.A.R.T. report switched SMART off\n" << Report();
    EXPECT_EQ(after.lines["identify"], before.lines["identify"]);
    EXPECT_EQ(after.attributes, before.attributes);
}

// The ATA requests of the transport reach the drive through SG_IO and come
// back laid out as the Windows records; what the drive says matches what
// the emulator was told.
TEST_F(EmulatedAtaDisks, AtaRequestsReachTheDriveThroughTheBackend) {
    const GuestCommand& probe = Output(kSeamProbe);
    ASSERT_EQ(probe.exitCode, 0) << Report();
    QMap<QString, QString> lines = ParseProbe(probe.out).lines;
    const GuestDisk& drive = kDrives[0].disk;
    const QString identity = QStringLiteral("model=[%1] serial=[%2] firmware=[%3]")
                                 .arg(drive.model, drive.serial, drive.firmware);
    EXPECT_TRUE(lines["open"].startsWith("ok=1")) << lines["open"].toStdString();
    EXPECT_EQ(lines["smart-version"], QStringLiteral("ok=1 error=0 returned=24 device-map=1"));
    EXPECT_EQ(lines["identify"], QStringLiteral("ok=1 error=0 returned=528 buffer-size=512 ") + identity +
                                     QStringLiteral(" smart-supported=1 smart-enabled=1"));
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

TEST_F(EmulatedAtaDisks, NothingWasWrittenToTheDisks) {
    EXPECT_EQ(imageHashesAfter_, imageHashes_);
}

}  // namespace
}  // namespace cendrix::testing
