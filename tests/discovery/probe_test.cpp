#include "discovery/probe.h"

#include <gtest/gtest.h>

#include "platform/control_codes.h"
#include "platform/unique_handle.h"
#include "shell/text_format.h"
#include "support/sim_fixture.h"

namespace cendrix {
namespace {

using namespace testing;
namespace p = platform;

// Probes disk 0 of a one-disk machine, in debug mode so its lines are kept.
struct Probed {
    explicit Probed(sim::Disk disk) : world(sim::Machine{{std::move(disk)}, {}}) {
        world.state.DebugMode = true;
        p::UniqueHandle handle(world.Storage(),
                               world.Storage().CreateFileW(u"\\\\.\\PhysicalDrive0", p::GENERIC_READ,
                                                           p::FILE_SHARE_READ | p::FILE_SHARE_WRITE,
                                                           p::OPEN_EXISTING, 0));
        result = ProbeDevice(world.Storage(), world.logs, handle.Get(), record);
    }
    QStringList Debug() const {
        QStringList lines = world.view.Lines(Pane::Debug);
        for (QString& line : lines) line.remove(0, kStamp.size());
        return lines;
    }
    SimWorld world;
    TIdentifyDeviceData record;
    ProbeResult result;
};

sim::Disk WithSerial(std::string storageLayerSerial) {
    sim::Disk d = MakeDisk(0);
    d.serialRaw = std::move(storageLayerSerial);
    return d;
}

TEST(ProbeDevice, ReadsIdentityGeometryAndBusOfASataDisk) {
    sim::Disk d = MakeDisk(0, 976773168, 512, 11);
    d.vendor = "ATA";
    d.product = "ST500DM002-1BD142";
    d.revision = "KC45 ";
    d.serialRaw = sim::EncodeSerialAtaOrder("Z3TABCDE");
    d.removable = true;
    Probed p(d);
    ASSERT_EQ(p.result.code, 0);
    EXPECT_EQ(p.record.Model, QStringLiteral("ATA ST500DM002-1BD142"));
    EXPECT_EQ(p.record.FW, QStringLiteral("KC45"));
    EXPECT_EQ(p.record.SN, QStringLiteral("Z3TABCDE"));
    EXPECT_EQ(p.record.LBA, 976773168);
    EXPECT_EQ(p.record.SectorSize, 512);
    EXPECT_EQ(p.record.BusType, 11);
    EXPECT_EQ(p.record.MaximumSectorsTransfer, 250);  // 131072 / 512 = 256, capped
    EXPECT_TRUE(p.record.RemovableMedia);
    EXPECT_EQ(p.record.IsIDESlave, 0);
}

TEST(ProbeDevice, WritesItsDebugNarrationInOrder) {
    sim::Disk d = MakeDisk(0, 1000000, 512, 7);
    d.vendor = "Kingston";
    d.product = "DataTraveler 3.0";
    d.revision = "PMAP";
    d.serialRaw = sim::EncodeSerialAtaOrder("60A44C3FAE2A");
    d.maxTransfer = 65536;
    Probed p(d);
    const QStringList debug = p.Debug();
    ASSERT_EQ(debug.size(), 19);
    EXPECT_EQ(debug.mid(0, 10), (QStringList{
                                    QStringLiteral("正在获取几何图形..."),
                                    QStringLiteral("完成 -1"),
                                    QStringLiteral("扇区大小 =        512"),
                                    QStringLiteral("正在获取磁盘长度..."),
                                    QStringLiteral("完成 -1"),
                                    QStringLiteral("介质 \"长度\" =        512000000"),
                                    QStringLiteral("正在查询存储属性 (适配器)..."),
                                    QStringLiteral("完成 -1"),
                                    QStringLiteral("正在查询存储属性 (设备)..."),
                                    QStringLiteral("完成 -1"),
                                }));
    // The dump: a heading line and 32 lines of 16 bytes, each ended by a line break.
    const QStringList dump = debug[10].split(QLatin1Char('\n'));
    ASSERT_EQ(dump.size(), 34);
    EXPECT_EQ(dump[0], QStringLiteral("缓冲区:    512 字节"));
    EXPECT_TRUE(dump[1].startsWith(QStringLiteral(" 24 00 00 00 ")));
    EXPECT_EQ(dump[1].size(), 48);
    EXPECT_EQ(dump[33], QString());
    EXPECT_EQ(debug.mid(11), (QStringList{
                                 QStringLiteral("正在解析数据..."),
                                 QStringLiteral("供应商 ID:   Kingston "),
                                 QStringLiteral("产品 ID:     DataTraveler 3.0"),
                                 QStringLiteral("产品修订版:           PMAP"),
                                 QStringLiteral("序列号:          60A44C3FAE2A"),
                                 QStringLiteral("扇区:      1000000"),
                                 QStringLiteral("扇区大小:       512"),
                                 QStringLiteral("最大传输:        128"),
                             }));
}

TEST(ProbeDevice, SwapsTheSerialsBytePairsAndKeepsInnerNuls) {
    // Three bytes A B C read as B, A, NUL, C; the trailing NULs are trimmed.
    Probed p(WithSerial("ABC"));
    EXPECT_EQ(p.record.SN, QString::fromUtf16(u"BA\0C", 4));
}

TEST(ProbeDevice, DecodesAFortyDigitHexadecimalSerial) {
    struct Case {
        const char* afterSwap;
        const char* serial;
        bool secondStep;
    };
    const Case cases[] = {
        // Step 1 gives letters and digits only.
        {"3132333435363738393041424344454647484950", "2143658709BADCFEHGPI", false},
        // Step 1 gives a "#", so step 2 swaps the digits of each byte too.
        {"1323334353637383930314243444546474849405", "2143658709BADCFEHGPI", true},
        // Blanks and underscores count as the digit 2.
        {"3 3_3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 3 32", "22222222222222222222", false},
        // Lower-case digits are read as upper case.
        {"4a4b4c4d4e4f505152535455565758595a303132", "KJMLONQPSRUTWVYX0Z21", false},
    };
    for (const Case& c : cases) {
        Probed p(WithSerial(sim::EncodeSerialAtaOrder(c.afterSwap)));
        const QStringList debug = p.Debug();
        EXPECT_TRUE(debug.contains(QStringLiteral("正在执行 WinXP SN trick..."))) << c.afterSwap;
        EXPECT_TRUE(debug.contains(QStringLiteral("步骤 1..."))) << c.afterSwap;
        EXPECT_EQ(debug.contains(QStringLiteral("步骤 2...")), c.secondStep) << c.afterSwap;
        EXPECT_EQ(p.record.SN, TrimControl(QString::fromLatin1(c.serial))) << c.afterSwap;
    }
}

TEST(ProbeDevice, LeavesOtherSerialsAsThePairSwapMadeThem) {
    const char* cases[] = {
        "3132333435363738393041424344454647484-50",   // a dash is no digit
        "313233343536373839304142434445464748495",    // 39 characters
        "31323334353637383930414243444546474849500",  // 41 characters (swapped pairs keep 42)
    };
    for (const char* serial : cases) {
        Probed p(WithSerial(sim::EncodeSerialAtaOrder(serial)));
        EXPECT_EQ(p.record.SN, TrimControl(QString::fromLatin1(serial))) << serial;
        EXPECT_EQ(p.Debug().contains(QStringLiteral("步骤 1...")), false) << serial;
    }
}

TEST(ProbeDevice, FillsBlankTextsWithTheirPlaceholders) {
    sim::Disk d = MakeDisk(0);
    d.vendor = "  ";
    d.product = "";
    d.revision = " ";
    d.serialRaw = "    ";
    Probed p(d);
    EXPECT_EQ(p.record.Model, QStringLiteral("存储设备"));
    EXPECT_EQ(p.record.FW, QStringLiteral("0000"));
    EXPECT_EQ(p.record.SN, QStringLiteral("000000"));
}

TEST(ProbeDevice, AModelWithoutVendorBeginsWithABlank) {
    sim::Disk d = MakeDisk(0);
    d.vendor = "";
    d.product = "Samsung SSD 860";
    Probed p(d);
    EXPECT_EQ(p.record.Model, QStringLiteral(" Samsung SSD 860"));
}

TEST(ProbeDevice, WorksOutSectorsAndTransferLimit) {
    struct Case {
        std::int64_t size;
        std::uint32_t sectorSize;
        std::uint32_t maxTransfer;
        std::int64_t lba, recordSectorSize, transfer;
    };
    const Case cases[] = {
        {4000787030016, 4096, 65536, 976754646, 4096, 16},
        {512 * 100000, 512, 2097152, 100000, 512, 250},
        {512 * 100000, 512, 65536, 100000, 512, 128},
        {256 * 100000, 256, 65536, 0, 512, 128},  // below 512: no sectors, raised to 512
    };
    for (const Case& c : cases) {
        sim::Disk d = MakeDisk(0);
        d.size = c.size;
        d.sectorSize = c.sectorSize;
        d.maxTransfer = c.maxTransfer;
        Probed p(d);
        ASSERT_EQ(p.result.code, 0);
        EXPECT_EQ(p.record.LBA, c.lba) << c.size;
        EXPECT_EQ(p.record.SectorSize, c.recordSectorSize) << c.size;
        EXPECT_EQ(p.record.MaximumSectorsTransfer, c.transfer) << c.size;
    }
}

TEST(ProbeDevice, ASilentAdapterGivesTheFlashDefaults) {
    sim::Disk d = MakeDisk(0);
    d.bus.reset();
    Probed p(d);
    ASSERT_EQ(p.result.code, 0);
    EXPECT_EQ(p.record.BusType, 201);
    EXPECT_EQ(p.record.MaximumSectorsTransfer, 128);  // 65536 / 512
    EXPECT_TRUE(p.Debug().contains(QStringLiteral("跳过 0")));
}

TEST(ProbeDevice, FailsOnGeometryOrLengthErrorsLeavingTheRecordAlone) {
    sim::Disk geometry = MakeDisk(0);
    geometry.geometryError = 21;
    Probed g(geometry);
    EXPECT_EQ(g.result.code, -1);
    EXPECT_FALSE(g.result.Fatal());
    EXPECT_EQ(g.record.Model, QString());
    EXPECT_EQ(g.Debug(), QStringList{QStringLiteral("正在获取几何图形...")});

    sim::Disk length = MakeDisk(0);
    length.lengthError = 1117;
    Probed l(length);
    EXPECT_EQ(l.result.code, -1);
    EXPECT_EQ(l.Debug().last(),
              QStringLiteral("访问设备时出错: The request could not be performed because of an I/O device error."));
}

TEST(ProbeDevice, TreatsFailuresWithErrorCodeZeroAsEmptyAnswers) {
    sim::Disk d = MakeDisk(0);
    d.geometryError = 0;
    d.lengthError = 0;
    d.deviceQueryError = 0;
    Probed p(d);
    ASSERT_EQ(p.result.code, 0);
    EXPECT_EQ(p.record.LBA, 0);
    EXPECT_EQ(p.record.SectorSize, 512);
    EXPECT_EQ(p.record.Model, QStringLiteral("存储设备"));
    EXPECT_EQ(p.record.FW, QStringLiteral("0000"));
    EXPECT_EQ(p.record.SN, QStringLiteral("000000"));
    const QStringList debug = p.Debug();
    EXPECT_EQ(debug[1], QStringLiteral("完成 0"));
    EXPECT_EQ(debug[2], QStringLiteral("扇区大小 =        0"));
    EXPECT_EQ(debug[5], QStringLiteral("介质 \"长度\" =        0"));
}

TEST(ProbeDevice, AFailedDeviceQueryEndsTheProgramWithItsMessage) {
    sim::Disk d = MakeDisk(0);
    d.deviceQueryError = 5;
    Probed p(d);
    EXPECT_EQ(p.result.code, -1);
    EXPECT_EQ(p.result.fatalError, QStringLiteral("访问设备时出错: Access is denied."));
}

TEST(DetectIDESlave, AsksOnlyAtaAndSataDisksAndFallsBackToInquiry) {
    struct Case {
        std::uint8_t bus;
        bool slave;
        std::set<std::uint32_t> refuse;
        std::uint8_t expected;
        std::size_t versionRequests;
        std::size_t inquiryRequests;
    };
    const Case cases[] = {
        {11, true, {}, 1, 1, 0},
        {3, false, {}, 0, 1, 0},
        {3, true, {p::SMART_GET_VERSION}, 1, 1, 1},
        {11, true, {p::SMART_GET_VERSION, p::IOCTL_SCSI_GET_INQUIRY_DATA}, 0, 1, 1},
        {7, true, {}, 0, 0, 0},  // USB: never asked
    };
    for (const Case& c : cases) {
        sim::Disk d = MakeDisk(0, 200000, 512, c.bus);
        d.slave = c.slave;
        d.refuse = c.refuse;
        Probed p(d);
        EXPECT_EQ(p.record.IsIDESlave, c.expected) << int(c.bus) << c.slave;
        auto& storage = p.world.Storage();
        EXPECT_EQ(storage.RequestsOf(sim::Request::Kind::Control, p::SMART_GET_VERSION).size(),
                  c.versionRequests);
        EXPECT_EQ(storage.RequestsOf(sim::Request::Kind::Control, p::IOCTL_SCSI_GET_INQUIRY_DATA).size(),
                  c.inquiryRequests);
    }
}

TEST(ProbeDevice, SendsTheRequestsWithTheirRecordSizes) {
    Probed p(MakeDisk(0));
    std::vector<std::pair<std::uint32_t, std::size_t>> sent;
    for (const sim::Request& r : p.world.Storage().RequestsOf(sim::Request::Kind::Control)) {
        sent.emplace_back(r.code, r.input.size());
    }
    const std::vector<std::pair<std::uint32_t, std::size_t>> expected{
        {p::IOCTL_DISK_GET_DRIVE_GEOMETRY, 512}, {p::IOCTL_DISK_GET_LENGTH_INFO, 512},
        {p::IOCTL_STORAGE_QUERY_PROPERTY, 12},   {p::IOCTL_STORAGE_QUERY_PROPERTY, 12},
        {p::SMART_GET_VERSION, 0},
    };
    EXPECT_EQ(sent, expected);
    const auto queries = p.world.Storage().RequestsOf(sim::Request::Kind::Control, p::IOCTL_STORAGE_QUERY_PROPERTY);
    EXPECT_EQ(queries[0].input[0], 1);  // adapter first
    EXPECT_EQ(queries[1].input[0], 0);  // then the device
}

}  // namespace
}  // namespace cendrix
