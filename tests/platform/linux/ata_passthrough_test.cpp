#include "platform/linux/ata_passthrough.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/control_codes.h"
#include "platform/win32_errors.h"

namespace cendrix::platform::linux_backend {
namespace {

// SENDCMDINPARAMS as the transport sends it: 33 bytes, zero but for the
// buffer size, the seven registers and the drive number.
std::array<std::uint8_t, 33> SendCmdIn(std::uint32_t bufferSize, IdeRegisters r, std::uint8_t drive) {
    std::array<std::uint8_t, 33> in{};
    StoreLe32(in.data(), bufferSize);
    const std::uint8_t regs[7] = {r.features, r.sectorCount, r.sectorNumber, r.cylLow,
                                  r.cylHigh,  r.driveHead,   r.command};
    std::memcpy(in.data() + 4, regs, 7);
    in[12] = drive;
    return in;
}

IdeRegisters Smart(std::uint8_t subcommand, std::uint8_t drive) {
    return {subcommand, 0x01, 0x01, 0x4F, 0xC2, static_cast<std::uint8_t>(0xA0 | (drive << 4)), 0xB0};
}

IdeRegisters Identify(std::uint8_t drive) {
    return {0x00, 0x01, 0x01, 0x00, 0x00, static_cast<std::uint8_t>(0xA0 | (drive << 4)), 0xEC};
}

TEST(AtaPassThrough, CommandBlockOfEachRequestTheTransportSends) {
    struct Case {
        const char* what;
        std::uint32_t code;
        std::uint32_t bufferSize;
        IdeRegisters regs;
        std::uint8_t drive;
        std::array<std::uint8_t, 16> cdb;
    };
    // Byte 1: protocol << 1 (3 non-data, 4 PIO data-in). Byte 2: T_DIR
    // from the device, BYT_BLOK, T_LENGTH in the sector count (0x0E) for
    // data-in; nothing for non-data. Then features, count, LBA low, mid,
    // high in the odd bytes 4..12, the device and the command.
    const Case cases[] = {
        {"SMART ENABLE OPERATIONS", SMART_SEND_DRIVE_COMMAND, 0, Smart(0xD8, 0), 0,
         {0x85, 0x06, 0x00, 0, 0xD8, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}},
        {"SMART DISABLE OPERATIONS", SMART_SEND_DRIVE_COMMAND, 0, Smart(0xD9, 0), 0,
         {0x85, 0x06, 0x00, 0, 0xD9, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}},
        {"SMART READ DATA", SMART_RCV_DRIVE_DATA, 512, Smart(0xD0, 0), 0,
         {0x85, 0x08, 0x0E, 0, 0xD0, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}},
        {"SMART READ DATA, second form", SMART_SEND_DRIVE_COMMAND, 512, Smart(0xD0, 0), 0,
         {0x85, 0x08, 0x0E, 0, 0xD0, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}},
        {"IDENTIFY DEVICE", SMART_RCV_DRIVE_DATA, 512, Identify(0), 0,
         {0x85, 0x08, 0x0E, 0, 0x00, 0, 0x01, 0, 0x01, 0, 0x00, 0, 0x00, 0xA0, 0xEC, 0}},
        {"SMART READ DATA for drive 1", SMART_RCV_DRIVE_DATA, 512, Smart(0xD0, 1), 1,
         {0x85, 0x08, 0x0E, 0, 0xD0, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2, 0xB0, 0xB0, 0}},
    };
    for (const Case& c : cases) {
        const auto bytes = SendCmdIn(c.bufferSize, c.regs, c.drive);
        // The transport sends 32 bytes for SMART and 33 for IDENTIFY.
        const auto request = ParseSendCmdIn(bytes.data(), c.regs.command == 0xEC ? 33 : 32);
        ASSERT_TRUE(request) << c.what;
        EXPECT_EQ(request->driveNumber, c.drive) << c.what;
        const AtaPlan plan = PlanSmartRequest(c.code, *request);
        ASSERT_EQ(plan.error, 0u) << c.what;
        EXPECT_EQ(Ata16Cdb(request->regs, plan.protocol), c.cdb) << c.what;
    }
}

TEST(AtaPassThrough, RefusesWhatThePlanDoesNotKnowBeforeAnythingIsSent) {
    struct Case {
        const char* what;
        std::uint32_t code;
        std::uint32_t bufferSize;
        IdeRegisters regs;
        std::uint32_t error;
    };
    const Case cases[] = {
        {"IDENTIFY as a command without answer", SMART_SEND_DRIVE_COMMAND, 512, Identify(0), ERROR_INVALID_FUNCTION},
        {"SMART without its signature", SMART_RCV_DRIVE_DATA, 512, {0xD0, 1, 1, 0, 0, 0xA0, 0xB0}, ERROR_INVALID_FUNCTION},
        {"SMART WRITE LOG", SMART_SEND_DRIVE_COMMAND, 512, Smart(0xD6, 0), ERROR_INVALID_FUNCTION},
        {"SMART EXECUTE OFF-LINE", SMART_SEND_DRIVE_COMMAND, 0, Smart(0xD4, 0), ERROR_INVALID_FUNCTION},
        {"ENABLE through the data request", SMART_RCV_DRIVE_DATA, 0, Smart(0xD8, 0), ERROR_INVALID_FUNCTION},
        {"WRITE DMA", SMART_SEND_DRIVE_COMMAND, 512, {0, 1, 0, 0, 0, 0xE0, 0xCA}, ERROR_INVALID_FUNCTION},
        {"SECURITY ERASE UNIT", SMART_SEND_DRIVE_COMMAND, 512, {0, 0, 0, 0, 0, 0xA0, 0xF4}, ERROR_INVALID_FUNCTION},
        {"READ DATA without room for the sector", SMART_RCV_DRIVE_DATA, 0, Smart(0xD0, 0), ERROR_INSUFFICIENT_BUFFER},
        {"READ DATA of two sectors", SMART_RCV_DRIVE_DATA, 512, {0xD0, 2, 1, 0x4F, 0xC2, 0xA0, 0xB0}, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        const auto bytes = SendCmdIn(c.bufferSize, c.regs, 0);
        EXPECT_EQ(PlanSmartRequest(c.code, *ParseSendCmdIn(bytes.data(), 32)).error, c.error) << c.what;
    }
    const auto bytes = SendCmdIn(512, Identify(0), 0);
    EXPECT_FALSE(ParseSendCmdIn(bytes.data(), 31));
    EXPECT_FALSE(ParseSendCmdIn(nullptr, 33));
}

// Descriptor-format sense with an ATA Status Return descriptor.
std::array<std::uint8_t, 22> DescriptorSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq,
                                             std::uint8_t ataError, std::uint8_t ataStatus) {
    std::array<std::uint8_t, 22> s{};
    s[0] = 0x72;
    s[1] = key;
    s[2] = asc;
    s[3] = ascq;
    s[7] = 14;
    s[8] = 0x09;
    s[9] = 12;
    s[11] = ataError;
    s[21] = ataStatus;
    return s;
}

TEST(AtaPassThrough, JudgesWhatSgIoReported) {
    EXPECT_EQ(JudgeAtaPassThrough({}).error, 0u);

    auto recovered = DescriptorSense(0x01, 0x00, 0x1D, 0x00, 0x50);
    AtaOutcome outcome = JudgeAtaPassThrough({0x02, 0, 0x08, recovered.data(), recovered.size()});
    EXPECT_EQ(outcome.error, 0u);
    EXPECT_EQ(outcome.ataStatus, 0x50);

    // The drive aborted the command (ERR in the status, ABRT in the error).
    auto failed = DescriptorSense(0x01, 0x00, 0x1D, 0x04, 0x51);
    outcome = JudgeAtaPassThrough({0x02, 0, 0x08, failed.data(), failed.size()});
    EXPECT_EQ(outcome.error, ERROR_IO_DEVICE);
    EXPECT_EQ(outcome.ataError, 0x04);
    auto aborted = DescriptorSense(0x0B, 0x00, 0x00, 0x04, 0x51);
    EXPECT_EQ(JudgeAtaPassThrough({0x02, 0, 0x08, aborted.data(), aborted.size()}).error, ERROR_IO_DEVICE);

    // A bridge that does not know ATA PASS-THROUGH, in fixed-format sense.
    std::array<std::uint8_t, 18> fixed{};
    fixed[0] = 0x70;
    fixed[2] = 0x05;
    fixed[12] = 0x20;
    EXPECT_EQ(JudgeAtaPassThrough({0x02, 0, 0x08, fixed.data(), fixed.size()}).error, ERROR_INVALID_FUNCTION);
    fixed[2] = 0x02;
    fixed[12] = 0x04;
    EXPECT_EQ(JudgeAtaPassThrough({0x02, 0, 0x08, fixed.data(), fixed.size()}).error, ERROR_NOT_READY);

    EXPECT_EQ(JudgeAtaPassThrough({0, 0x03, 0, nullptr, 0}).error, ERROR_SEM_TIMEOUT);
    EXPECT_EQ(JudgeAtaPassThrough({0, 0, 0x06, nullptr, 0}).error, ERROR_SEM_TIMEOUT);
    EXPECT_EQ(JudgeAtaPassThrough({0, 0x01, 0, nullptr, 0}).error, ERROR_DEV_NOT_EXIST);
    EXPECT_EQ(JudgeAtaPassThrough({0, 0x07, 0, nullptr, 0}).error, ERROR_IO_DEVICE);
    EXPECT_EQ(JudgeAtaPassThrough({0x08, 0, 0, nullptr, 0}).error, ERROR_BUSY);
}

TEST(AtaPassThrough, AnswerIsLaidOutAsSendCmdOutParams) {
    std::array<std::uint8_t, 512> sector{};
    for (std::size_t i = 0; i < sector.size(); ++i) sector[i] = static_cast<std::uint8_t>(i * 7);
    AtaOutcome outcome;
    outcome.ataError = 0x04;
    const std::vector<std::uint8_t> data = SendCmdOutRecord(sector.data(), outcome);
    ASSERT_EQ(data.size(), 528u);
    EXPECT_EQ(LoadLe32(data.data()), 512u);
    EXPECT_EQ(data[4], 0);     // bDriverError
    EXPECT_EQ(data[5], 0x04);  // bIDEError
    EXPECT_TRUE(std::equal(sector.begin(), sector.end(), data.begin() + 16));

    const std::vector<std::uint8_t> none = SendCmdOutRecord(nullptr, {});
    EXPECT_EQ(none, std::vector<std::uint8_t>(16, 0));
}

TEST(AtaPassThrough, MiniportIdentifyRequestAndAnswer) {
    // The 572-byte buffer of the transport's second identify form.
    std::array<std::uint8_t, 572> request{};
    StoreLe32(request.data(), 28);
    std::memcpy(request.data() + 4, "SCSIDISK", 8);
    StoreLe32(request.data() + 12, 120);
    StoreLe32(request.data() + 16, IOCTL_SCSI_MINIPORT_IDENTIFY);
    StoreLe32(request.data() + 24, 544);
    const auto cmd = SendCmdIn(512, Identify(0), 0);
    std::memcpy(request.data() + 28, cmd.data(), cmd.size());
    EXPECT_TRUE(IsMiniportIdentify(request.data(), request.size()));

    std::array<std::uint8_t, 512> sector{};
    sector[0] = 0x40;
    sector[511] = 0xA5;
    const std::vector<std::uint8_t> answer = MiniportIdentifyAnswer(request.data(), sector.data());
    ASSERT_EQ(answer.size(), 572u);
    EXPECT_TRUE(std::equal(request.begin(), request.begin() + 20, answer.begin()));
    EXPECT_EQ(LoadLe32(answer.data() + 28), 512u);
    EXPECT_TRUE(std::equal(sector.begin(), sector.end(), answer.begin() + 44));

    auto wrong = request;
    std::memcpy(wrong.data() + 4, "SCSIDISX", 8);
    EXPECT_FALSE(IsMiniportIdentify(wrong.data(), wrong.size()));
    wrong = request;
    StoreLe32(wrong.data() + 16, 0x001B0502);
    EXPECT_FALSE(IsMiniportIdentify(wrong.data(), wrong.size()));
    wrong = request;
    wrong[28 + 10] = 0xB0;
    EXPECT_FALSE(IsMiniportIdentify(wrong.data(), wrong.size()));
    EXPECT_FALSE(IsMiniportIdentify(request.data(), 59));
}

}  // namespace
}  // namespace cendrix::platform::linux_backend
