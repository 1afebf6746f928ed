#include "ata/ata_transport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "platform/control_codes.h"
#include "platform/sim/sim_sectors.h"
#include "support/sample_identify.h"
#include "support/sim_fixture.h"

namespace cendrix {
namespace {

using namespace testing;
namespace p = platform;
using Bytes = std::vector<std::uint8_t>;

// A zero-filled record of `size` bytes with the given bytes set.
Bytes Record(std::size_t size, std::initializer_list<std::pair<std::size_t, std::uint8_t>> set) {
    Bytes bytes(size, 0);
    for (const auto& [at, value] : set) bytes.at(at) = value;
    return bytes;
}

// SENDCMDINPARAMS of a SMART subcommand: cBufferSize, the seven registers, bDriveNumber.
Bytes SmartRecord(std::size_t size, bool dataSector, std::uint8_t subcommand, std::uint8_t driveHead,
                  std::uint8_t driveNumber) {
    return Record(size, {{1, dataSector ? 0x02 : 0x00}, {4, subcommand}, {5, 0x01}, {6, 0x01}, {7, 0x4F},
                         {8, 0xC2}, {9, driveHead}, {10, 0xB0}, {12, driveNumber}});
}

Bytes IdentifyRecord(std::uint8_t driveHead, std::uint8_t driveNumber) {
    return Record(33, {{1, 0x02}, {5, 1}, {6, 1}, {9, driveHead}, {10, 0xEC}, {12, driveNumber}});
}

// The miniport buffer as the request must carry it, built field by field.
Bytes MiniportRecord(std::uint8_t driveHead, std::uint8_t driveNumber) {
    Bytes b(572, 0);
    b[0] = 28;
    std::memcpy(b.data() + 4, "SCSIDISK", 8);
    b[12] = 120;
    b[16] = 0x01; b[17] = 0x05; b[18] = 0x1B; b[19] = 0x00;  // 0x001B0501
    b[24] = 0x20; b[25] = 0x02;                              // 544
    const Bytes command = IdentifyRecord(driveHead, driveNumber);
    std::copy(command.begin(), command.end(), b.begin() + 28);
    return b;
}

sim::Sector IdentifySector() { return sim::BuildIdentifySector(Identify500GB()); }

sim::Sector SmartSector() {
    return sim::BuildSmartSector({{5, 0x33, 100, 100, 0}, {194, 0x22, 35, 45, 0x2D00140023}});
}

AtaSector Filled(std::uint8_t value) {
    AtaSector s;
    s.fill(value);
    return s;
}

// Disk 0 of a one-disk machine (the slave of its channel when `slave`),
// opened for the transport.
struct Rig {
    explicit Rig(sim::Disk disk) : world(sim::Machine{{Prepared(std::move(disk))}, {}}) {
        handle = world.Storage().CreateFileW(u"\\\\.\\PhysicalDrive0", p::GENERIC_READ | p::GENERIC_WRITE, 0,
                                             p::OPEN_EXISTING, 0);
        world.Storage().ClearRequests();
    }
    static sim::Disk Prepared(sim::Disk d) {
        if (!d.identify) d.identify = IdentifySector();
        if (!d.smart) d.smart = SmartSector();
        return d;
    }
    std::vector<sim::Request> Controls(std::uint32_t code = 0) {
        return world.Storage().RequestsOf(sim::Request::Kind::Control, code);
    }
    std::uint8_t drive() { return world.Storage().Description().disks[0].slave ? 1 : 0; }
    SimWorld world;
    p::Handle handle = p::INVALID_HANDLE_VALUE;
};

sim::Disk Disk(bool slave = false) {
    sim::Disk d = MakeDisk(0);
    d.slave = slave;
    return d;
}

class BothDrives : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(MasterAndSlave, BothDrives, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Slave" : "Master"; });

TEST_P(BothDrives, EnableAndDisableSendTheirRegistersWithoutData) {
    Rig rig(Disk(GetParam()));
    const std::uint8_t drive = rig.drive();
    const std::uint8_t driveHead = drive ? 0xB0 : 0xA0;
    auto& sim = rig.world.Storage();

    ASSERT_TRUE(SmartDisableOperations(sim, rig.handle, drive));
    EXPECT_FALSE(sim.DiskSmartEnabled(0));
    ASSERT_TRUE(SmartEnableOperations(sim, rig.handle, drive));
    EXPECT_TRUE(sim.DiskSmartEnabled(0));

    const auto sent = rig.Controls();
    ASSERT_EQ(sent.size(), 2u);
    for (const auto& r : sent) {
        EXPECT_EQ(r.code, p::SMART_SEND_DRIVE_COMMAND);
        EXPECT_EQ(r.outSize, 527u);
    }
    // 32 bytes: the record without its data byte; cBufferSize 0.
    EXPECT_EQ(sent[0].input, SmartRecord(32, false, 0xD9, driveHead, drive));
    EXPECT_EQ(sent[1].input, SmartRecord(32, false, 0xD8, driveHead, drive));
}

TEST_P(BothDrives, ReadDataReceivesTheSectorBehindTheAnswerHeader) {
    Rig rig(Disk(GetParam()));
    const std::uint8_t drive = rig.drive();
    AtaSector data = Filled(0x5A);
    ASSERT_TRUE(SmartReadData(rig.world.Storage(), rig.handle, drive, data));
    EXPECT_EQ(data, SmartSector());
    const auto sent = rig.Controls();
    ASSERT_EQ(sent.size(), 1u);  // the first form answered: no second
    EXPECT_EQ(sent[0].code, p::SMART_RCV_DRIVE_DATA);
    EXPECT_EQ(sent[0].outSize, 1039u);
    EXPECT_EQ(sent[0].input, SmartRecord(32, true, 0xD0, drive ? 0xB0 : 0xA0, drive));
}

TEST_P(BothDrives, IdentifyFormANamesTheDriveOnlyByItsDevBit) {
    Rig rig(Disk(GetParam()));
    const std::uint8_t drive = rig.drive();
    AtaSector data{};
    ASSERT_TRUE(IdentifyDevice(rig.world.Storage(), rig.handle, drive, data));
    EXPECT_EQ(data, IdentifySector());
    const auto sent = rig.Controls();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].code, p::SMART_GET_VERSION);
    EXPECT_TRUE(sent[0].input.empty());
    EXPECT_EQ(sent[0].outSize, 28u);
    EXPECT_EQ(sent[1].code, p::SMART_RCV_DRIVE_DATA);
    EXPECT_EQ(sent[1].outSize, 528u);
    // The full 33-byte record, and bDriveNumber 0 whatever the drive.
    EXPECT_EQ(sent[1].input, IdentifyRecord(drive ? 0xB0 : 0xA0, 0));
}

TEST_P(BothDrives, IdentifyFormBGoesThroughTheMiniportWhenGetVersionFails) {
    sim::Disk d = Disk(GetParam());
    d.refuse = {p::SMART_GET_VERSION};
    Rig rig(d);
    const std::uint8_t drive = rig.drive();
    AtaSector data{};
    ASSERT_TRUE(IdentifyDevice(rig.world.Storage(), rig.handle, drive, data));
    EXPECT_EQ(data, IdentifySector());
    const auto sent = rig.Controls();
    ASSERT_EQ(sent.size(), 2u);  // no SMART_RCV_DRIVE_DATA after the failed version request
    EXPECT_EQ(sent[0].code, p::SMART_GET_VERSION);
    EXPECT_EQ(sent[1].code, p::IOCTL_SCSI_MINIPORT);
    EXPECT_EQ(sent[1].outSize, 572u);
    EXPECT_EQ(sent[1].input, MiniportRecord(drive ? 0xB0 : 0xA0, drive));
}

TEST(SmartReadData, JudgesTheSectorByTheReturnedByteCount) {
    struct Case {
        const char* name;
        std::map<std::uint32_t, std::uint32_t> answerBytes;
        bool ok;
        std::vector<std::uint32_t> codes;  // the requests sent, in order
    };
    const Case cases[] = {
        {"standard 528-byte answer", {{p::SMART_RCV_DRIVE_DATA, 528}}, true, {p::SMART_RCV_DRIVE_DATA}},
        {"bare 512-byte sector", {{p::SMART_RCV_DRIVE_DATA, 512}}, true, {p::SMART_RCV_DRIVE_DATA}},
        {"511 bytes: the send form is tried", {{p::SMART_RCV_DRIVE_DATA, 511}}, true,
         {p::SMART_RCV_DRIVE_DATA, p::SMART_SEND_DRIVE_COMMAND}},
        {"511 bytes from both forms",
         {{p::SMART_RCV_DRIVE_DATA, 511}, {p::SMART_SEND_DRIVE_COMMAND, 511}}, false,
         {p::SMART_RCV_DRIVE_DATA, p::SMART_SEND_DRIVE_COMMAND}},
        {"nothing at all", {{p::SMART_RCV_DRIVE_DATA, 0}, {p::SMART_SEND_DRIVE_COMMAND, 0}}, false,
         {p::SMART_RCV_DRIVE_DATA, p::SMART_SEND_DRIVE_COMMAND}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Disk d = Disk();
        d.answerBytes = c.answerBytes;
        Rig rig(d);
        AtaSector data = Filled(0x5A);
        EXPECT_EQ(SmartReadData(rig.world.Storage(), rig.handle, 0, data), c.ok);
        // A failed read leaves the caller's buffer exactly as it was.
        EXPECT_EQ(data, c.ok ? AtaSector(SmartSector()) : Filled(0x5A));
        const auto sent = rig.Controls();
        ASSERT_EQ(sent.size(), c.codes.size());
        for (std::size_t i = 0; i < sent.size(); ++i) {
            EXPECT_EQ(sent[i].code, c.codes[i]);
            // Both forms carry the same record: the send form only changes the request.
            EXPECT_EQ(sent[i].input, SmartRecord(32, true, 0xD0, 0xA0, 0));
            EXPECT_EQ(sent[i].outSize, 1039u);
        }
    }
}

TEST(SmartReadData, FailsWhenNeitherFormIsAccepted) {
    sim::Disk d = Disk();
    d.refuse = {p::SMART_RCV_DRIVE_DATA, p::SMART_SEND_DRIVE_COMMAND};
    Rig rig(d);
    AtaSector data = Filled(0x77);
    EXPECT_FALSE(SmartReadData(rig.world.Storage(), rig.handle, 0, data));
    EXPECT_EQ(data, Filled(0x77));
    EXPECT_EQ(rig.Controls().size(), 2u);
}

TEST(IdentifyDevice, TriesTheMiniportWhenTheSmartFormIsRefused) {
    sim::Disk d = Disk();
    d.refuse = {p::SMART_RCV_DRIVE_DATA};
    Rig rig(d);
    AtaSector data{};
    ASSERT_TRUE(IdentifyDevice(rig.world.Storage(), rig.handle, 0, data));
    EXPECT_EQ(data, IdentifySector());
    const auto sent = rig.Controls();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].code, p::SMART_GET_VERSION);
    EXPECT_EQ(sent[1].code, p::SMART_RCV_DRIVE_DATA);
    EXPECT_EQ(sent[2].code, p::IOCTL_SCSI_MINIPORT);
}

TEST(IdentifyDevice, TakesAShortSmartAnswerAsItCameWithZerosAfterIt) {
    sim::Disk d = Disk();
    d.answerBytes = {{p::SMART_RCV_DRIVE_DATA, 100}};
    Rig rig(d);
    AtaSector data = Filled(0x5A);
    ASSERT_TRUE(IdentifyDevice(rig.world.Storage(), rig.handle, 0, data));
    const sim::Sector identify = IdentifySector();
    // 100 bytes came back: the 16-byte header and the first 84 data bytes.
    for (std::size_t i = 0; i < 512; ++i) {
        ASSERT_EQ(data[i], i < 84 ? identify[i] : 0) << "byte " << i;
    }
    EXPECT_EQ(rig.Controls().size(), 2u);  // no miniport request
}

TEST(IdentifyDevice, NeedsTheWholeSectorFromTheMiniport) {
    for (const std::uint32_t count : {555u, 556u, 572u}) {
        SCOPED_TRACE(count);
        sim::Disk d = Disk();
        d.refuse = {p::SMART_GET_VERSION};
        d.answerBytes = {{p::IOCTL_SCSI_MINIPORT, count}};
        Rig rig(d);
        AtaSector data = Filled(0x5A);
        const bool ok = IdentifyDevice(rig.world.Storage(), rig.handle, 0, data);
        EXPECT_EQ(ok, count >= 556);
        EXPECT_EQ(data, ok ? AtaSector(IdentifySector()) : Filled(0x5A));
    }
}

TEST(IdentifyDevice, FailsWhenBothFormsAreRefusedAndLeavesTheBuffer) {
    // A disk without IDENTIFY data refuses both identify forms.
    sim::Disk plain = MakeDisk(0);
    SimWorld world(sim::Machine{{plain}, {}});
    const p::Handle handle = world.Storage().CreateFileW(u"\\\\.\\PhysicalDrive0", p::GENERIC_READ,
                                                         p::FILE_SHARE_READ | p::FILE_SHARE_WRITE,
                                                         p::OPEN_EXISTING, 0);
    AtaSector data = Filled(0x33);
    EXPECT_FALSE(IdentifyDevice(world.Storage(), handle, 0, data));
    EXPECT_EQ(data, Filled(0x33));
    const auto sent = world.Storage().RequestsOf(sim::Request::Kind::Control);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[1].code, p::SMART_RCV_DRIVE_DATA);
    EXPECT_EQ(sent[2].code, p::IOCTL_SCSI_MINIPORT);
}

TEST(AtaTransport, SendsNothingForADriveNumberBeyondTheDriveHeadRegister) {
    Rig rig(Disk());
    auto& sim = rig.world.Storage();
    AtaSector data = Filled(0x11);
    EXPECT_FALSE(SmartEnableOperations(sim, rig.handle, 16));
    EXPECT_FALSE(SmartDisableOperations(sim, rig.handle, 200));
    EXPECT_FALSE(SmartReadData(sim, rig.handle, 16, data));
    EXPECT_FALSE(IdentifyDevice(sim, rig.handle, 255, data));
    EXPECT_EQ(data, Filled(0x11));
    EXPECT_TRUE(rig.Controls().empty());
    EXPECT_EQ(DriveHeadFor(15), 0xF0);
}

// A driver whose every answer is scripted: the byte count it reports, the
// result, and a recognisable pattern in the answer buffer.
class ScriptedDriver final : public p::StorageApi {
public:
    p::Handle CreateFileW(std::u16string_view, std::uint32_t, std::uint32_t, std::uint32_t,
                          std::uint32_t) override { return 1; }
    bool CloseHandle(p::Handle) override { return true; }
    bool DeviceIoControl(p::Handle, std::uint32_t code, const void*, std::uint32_t, void* out,
                         std::uint32_t outSize, std::uint32_t* bytesReturned) override {
        codes.push_back(code);
        auto* bytes = static_cast<std::uint8_t*>(out);
        for (std::uint32_t i = 0; i < outSize; ++i) bytes[i] = Pattern(i);
        if (driverErrorByte != 0 && outSize > 5) bytes[5] = driverErrorByte;  // DRIVERSTATUS.bIDEError
        *bytesReturned = reported;
        return result;
    }
    bool SetFilePointerEx(p::Handle, std::int64_t, std::int64_t*, std::uint32_t) override { return false; }
    bool WriteFile(p::Handle, const void*, std::uint32_t, std::uint32_t*) override { return false; }
    std::uint32_t GetLastError() override { return 0; }
    std::u16string FormatMessageW(std::uint32_t) override { return {}; }
    std::uint32_t GetLogicalDriveStringsW(std::uint32_t, char16_t*) override { return 0; }

    static std::uint8_t Pattern(std::uint32_t i) { return static_cast<std::uint8_t>(i * 7 + 3); }

    std::uint32_t reported = 0;
    bool result = true;
    std::uint8_t driverErrorByte = 0;
    std::vector<std::uint32_t> codes;
};

TEST(SmartReceiveSector, CopiesTheLastSectorOfWhatCameBack) {
    ScriptedDriver driver;
    const AtaRegisters registers{0xD0, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0};
    for (const std::uint32_t count : {512u, 528u, 600u, 1039u}) {
        SCOPED_TRACE(count);
        driver.reported = count;
        AtaSector data{};
        ASSERT_TRUE(SmartReceiveSector(driver, 1, 0, registers, data));
        for (std::uint32_t i = 0; i < 512; ++i) {
            ASSERT_EQ(data[i], ScriptedDriver::Pattern(count - 512 + i)) << "byte " << i;
        }
    }
}

TEST(SmartReceiveSector, DistrustsACountBeyondItsBufferOrAFailedCall) {
    ScriptedDriver driver;
    const AtaRegisters registers{0xD0, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0};
    AtaSector data = Filled(0x5A);
    driver.reported = 1040;
    EXPECT_FALSE(SmartSendSector(driver, 1, 0, registers, data));
    driver.reported = 528;
    driver.result = false;
    EXPECT_FALSE(SmartReceiveSector(driver, 1, 0, registers, data));
    EXPECT_EQ(data, Filled(0x5A));
    EXPECT_EQ(driver.codes, (std::vector<std::uint32_t>{p::SMART_SEND_DRIVE_COMMAND, p::SMART_RCV_DRIVE_DATA}));
}

TEST(AtaTransport, IgnoresTheDriveErrorOfAnAcceptedRequest) {
    // The driver status is not examined: an accepted call is a success.
    ScriptedDriver driver;
    driver.driverErrorByte = 0x04;  // ABRT
    driver.reported = 0;
    EXPECT_TRUE(SmartEnableOperations(driver, 1, 0));
    driver.reported = 528;
    AtaSector data{};
    ASSERT_TRUE(SmartReadData(driver, 1, 0, data));
    EXPECT_EQ(data[0], ScriptedDriver::Pattern(16));
    // The identify form A counts nothing either: a call that reports no bytes still succeeds.
    driver.reported = 0;
    ASSERT_TRUE(IdentifyDevice(driver, 1, 0, data));
    EXPECT_EQ(data[0], ScriptedDriver::Pattern(16));
}

}  // namespace
}  // namespace cendrix
