#include "format/wipe_loop.h"

#include <gtest/gtest.h>

#include "format/run_format.h"
#include "format_fixture.h"
#include "platform/win32_errors.h"
#include "shell/app_state.h"
#include "shell/text_format.h"

namespace cendrix {
namespace {

using namespace testing;
using Ranges = std::vector<std::pair<std::int64_t, std::int64_t>>;

constexpr std::uint8_t kOld = 0xA5;
const QString kAverage = QStringLiteral("平均速度:          ");
const QString kDone = QStringLiteral("低级格式化完成.");
const QString kGone = QStringLiteral("设备已拔出, 正在中止...");

sim::Machine OneDisk(std::int64_t sectors, std::uint32_t sectorSize = 512) {
    return sim::Machine{{MakeDisk(0, sectors, sectorSize)}, {}};
}

// Old bytes all over the image, and 10 ms of the fake clock for every pass
// (ten passes are fast).
void Prepare(FormatWorld& w) {
    w.world.FillImage(0, kOld);
    w.view.onProcessMessages = [&w](int) { Tick(w.world.clock, 10); };
}

// The lengths of the writes the disk was asked for, failed ones included.
std::vector<std::int64_t> AskedLengthsOf(FormatWorld& w) {
    std::vector<std::int64_t> lengths;
    for (const sim::Request& r : w.Storage().RequestsOf(sim::Request::Kind::Write)) lengths.push_back(r.length);
    return lengths;
}

sim::Machine Faulty(void (*spoil)(sim::Disk&)) {
    sim::Machine m = OneDisk(40000);
    spoil(m.disks[0]);
    return m;
}

// A disk of 40,000 sectors of 512 bytes: more than the quick extent.
struct Wipe : ::testing::Test {
    Wipe() { Prepare(w); }
    FormatWorld w{OneDisk(40000)};
};

std::vector<std::int64_t> Repeat(std::vector<std::pair<int, std::int64_t>> runs) {
    std::vector<std::int64_t> out;
    for (const auto& [count, length] : runs) out.insert(out.end(), count, length);
    return out;
}

// Quick mode, every ten passes fast: the block doubles every ten passes
// from pass 20 and the last block is cut to the extent.
const std::vector<std::int64_t> kWorkedExample =
    Repeat({{19, 65536}, {10, 131072}, {10, 262144}, {9, 524288}, {1, 344064}});

TEST_F(Wipe, QuickModeFollowsTheWorkedExampleAndZeroesExactlyTheFirst10240000Bytes) {
    EXPECT_EQ(WipeDevice(w.run, true), FormatOutcome::Completed);

    const Ranges writes = w.Writes();
    ASSERT_EQ(writes.size(), 49u);
    std::int64_t at = 0;
    for (std::size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i].first, at) << "pass " << i + 1;
        EXPECT_EQ(writes[i].second, kWorkedExample[i]) << "pass " << i + 1;
        at += writes[i].second;
    }
    EXPECT_EQ(at, 10240000);
    for (const sim::Request& r : w.Storage().RequestsOf(sim::Request::Kind::Write)) EXPECT_TRUE(r.allZero);
    EXPECT_EQ(writes[18].first + writes[18].second, 1245184);
    EXPECT_EQ(writes[28].first + writes[28].second, 2555904);
    EXPECT_EQ(writes[38].first + writes[38].second, 5177344);
    EXPECT_EQ(writes[47].first + writes[47].second, 9895936);
    // Every write is preceded by an absolute seek to its offset.
    const auto seeks = w.Storage().RequestsOf(sim::Request::Kind::Seek);
    ASSERT_EQ(seeks.size(), 49u);
    for (std::size_t i = 0; i < seeks.size(); ++i) EXPECT_EQ(seeks[i].offset, writes[i].first);
    EXPECT_TRUE(w.ImageIs(0, kOld, {{0, 10240000}}));

    // Messages once before the first block, then once per block, showing
    // the state the disk is in once that block is written.
    ASSERT_EQ(w.view.painted.size(), 50u);
    EXPECT_EQ(w.view.painted[0].percent, QString());
    EXPECT_EQ(w.view.painted[1].progress, 1);  // 0.64 %
    EXPECT_EQ(w.view.painted[1].percent, QStringLiteral("1% 完成"));
    EXPECT_EQ(w.view.painted[1].position, QStringLiteral("当前扇区:           128"));
    EXPECT_EQ(w.view.painted[19].progress, 12);  // 12.16 %
    EXPECT_EQ(w.view.painted[19].position, QStringLiteral("当前扇区:           2432"));
    EXPECT_EQ(w.view.painted[49].percent, QStringLiteral("100% 完成"));
    EXPECT_EQ(w.view.painted[49].position, QStringLiteral("当前扇区:           20,000"));
    EXPECT_EQ(w.view.progress, 100);
    // 10,240,000 bytes in 490 ms.
    EXPECT_EQ(w.view.speed, QStringLiteral("20.9 MB/s"));
    EXPECT_EQ(w.FormatTexts(), (QStringList{kAverage + "20.9 MB/s", kDone}));
}

TEST_F(Wipe, SpeedUsesTheDecimalSeparatorOfTheUsersLocale) {
    Logs german(w.world.view, w.world.clock, w.world.state, QLocale(QLocale::German, QLocale::Germany));
    FormatContext run{w.world.state, w.Storage(), german, w.world.clock, w.view};
    WipeDevice(run, true);
    EXPECT_EQ(w.view.speed, QStringLiteral("20,9 MB/s"));
}

TEST_F(Wipe, GrowthStopsOnceTenPassesTakeASecondAndTheBlockNeverShrinks) {
    // Fast until pass 29, then 200 ms a pass.
    w.view.onProcessMessages = [this](int call) { Tick(w.world.clock, call < 30 ? 1 : 200); };
    WipeDevice(w.run, true);
    EXPECT_EQ(AskedLengthsOf(w), Repeat({{19, 65536}, {10, 131072}, {29, 262144}, {1, 81920}}));
    EXPECT_TRUE(w.ImageIs(0, kOld, {{0, 10240000}}));
}

TEST(WipeDevice, TenPassesOfExactlyOneSecondAreNotFast) {
    for (const auto& [perPass, secondBlock] : {std::pair{99, 131072}, std::pair{100, 65536}}) {
        FormatWorld fresh(OneDisk(4000));
        fresh.view.onProcessMessages = [&fresh, perPass = perPass](int) { Tick(fresh.world.clock, perPass); };
        WipeDevice(fresh.run, true);
        const Ranges writes = fresh.Writes();
        ASSERT_GT(writes.size(), 20u);
        EXPECT_EQ(writes[18].second, 65536) << perPass;
        EXPECT_EQ(writes[19].second, secondBlock) << perPass;
        EXPECT_EQ(writes.back().first + writes.back().second, 2048000);
    }
}

TEST_F(Wipe, AClockSetBackCountsAsFastAndLeavesTheSpeedAsItWas) {
    w.view.onProcessMessages = [this](int call) { Tick(w.world.clock, call == 15 ? -100000 : 10); };
    EXPECT_EQ(WipeDevice(w.run, true), FormatOutcome::Completed);
    EXPECT_EQ(AskedLengthsOf(w), kWorkedExample);
    // 917,504 bytes in 140 ms, the last speed measured before the clock went back.
    EXPECT_EQ(w.view.speed, QStringLiteral("6.6 MB/s"));
    EXPECT_EQ(w.FormatTexts(), (QStringList{kAverage + "6.6 MB/s", kDone}));
}

struct ExtentCase {
    std::int64_t sectors;
    std::uint32_t sectorSize;
    bool quick;
    std::int64_t covered;  // bytes from offset 0
    std::int64_t lastBlock;
};

class Extent : public ::testing::TestWithParam<ExtentCase> {};

TEST_P(Extent, CoversTheExtentExactlyWithTheLastBlockCut) {
    const ExtentCase c = GetParam();
    FormatWorld w(OneDisk(c.sectors, c.sectorSize));
    Prepare(w);
    EXPECT_EQ(WipeDevice(w.run, c.quick), FormatOutcome::Completed);
    const Ranges writes = w.Writes();
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back().first + writes.back().second, c.covered);
    EXPECT_EQ(writes.back().second, c.lastBlock);
    EXPECT_EQ(w.Storage().DiskBytesWritten(0), c.covered);
    EXPECT_TRUE(w.ImageIs(0, kOld, {{0, c.covered}}));
    EXPECT_EQ(w.view.progress, 100);
    EXPECT_EQ(w.view.position, QStringLiteral("当前扇区:           ") + GroupThousands(c.covered / c.sectorSize));
    EXPECT_EQ(w.FormatTexts().last(), kDone);
}

INSTANTIATE_TEST_SUITE_P(
    WipeDevice, Extent,
    ::testing::Values(
        // The whole disk; 23 blocks of 64 KiB, then the remaining 28,672 bytes.
        ExtentCase{3000, 512, false, 1536000, 28672},
        ExtentCase{40000, 512, false, 20480000, 622592},
        // Quick mode on disks of at most 10,240,000 bytes writes them whole.
        ExtentCase{20000, 512, true, 10240000, 344064},
        ExtentCase{2400, 4096, true, 9830400, 9830400 - 9895936 + 524288},
        // ... and on larger ones exactly 10,240,000 bytes, for 4096-byte sectors too.
        ExtentCase{5000, 4096, true, 10240000, 344064}));

TEST(WipeDevice, AnExtentOfZeroWritesNothingAndEndsCompletedWithTheOldSpeed) {
    // Sectors below 512 bytes leave the disk without usable sectors.
    FormatWorld w(OneDisk(4000, 256));
    ASSERT_EQ(w.world.state.Selected().IdentifyData.LBA, 0);
    w.world.FillImage(0, kOld);
    w.view.speed = QStringLiteral("7.5 MB/s");  // left by an earlier run
    w.view.progress = 37;
    EXPECT_EQ(WipeDevice(w.run, false), FormatOutcome::Completed);
    EXPECT_TRUE(w.Storage().Requests().empty());
    EXPECT_EQ(w.view.painted.size(), 1u);
    EXPECT_EQ(w.view.progress, 100);
    EXPECT_EQ(w.FormatTexts(), (QStringList{kAverage + "7.5 MB/s", kDone}));
    EXPECT_TRUE(w.ImageIs(0, kOld, {}));
}

// A write that touches the third block (offset 131,072) fails with `code`.
struct ErrorCase {
    std::uint32_t code;
    const char* suffix;  // what follows the code on the line
    bool aborts;
};

class WriteError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(WriteError, IsLoggedWithItsTextAndSkipsTheBlockOrAbortsTheRun) {
    const ErrorCase c = GetParam();
    sim::Machine machine = OneDisk(40000);
    machine.disks[0].writeErrors.push_back({131072 + 512, 512, c.code});
    FormatWorld w(std::move(machine));
    Prepare(w);

    const FormatOutcome outcome = WipeDevice(w.run, true);
    const QString failed = QStringLiteral("偏移处发生格式错误                       131,072:   ") + QString::number(c.code) +
                           QString::fromUtf8(c.suffix);
    if (c.aborts) {
        EXPECT_EQ(outcome, FormatOutcome::Aborted);
        // Two blocks of 65,536 bytes in 20 ms; the failed pass sets no speed.
        EXPECT_EQ(w.FormatTexts(), (QStringList{failed, kGone, kAverage + "6.6 MB/s",
                                                QStringLiteral("操作在偏移处终止                       131,072    LBA 256")}));
        EXPECT_EQ(w.Writes(), (Ranges{{0, 65536}, {65536, 65536}}));
        EXPECT_EQ(w.Storage().RequestsOf(sim::Request::Kind::Write).size(), 3u);
        EXPECT_TRUE(w.ImageIs(0, kOld, {{0, 131072}}));
        // The bar keeps the percentage of the failed block: 196,608 of 10,240,000.
        EXPECT_EQ(w.view.progress, 2);
    } else {
        EXPECT_EQ(outcome, FormatOutcome::CompletedWithErrors);
        EXPECT_EQ(w.FormatTexts(),
                  (QStringList{failed, kAverage + "20.9 MB/s",
                               QStringLiteral("低级格式化结束, 但有 1 个块写入失败, 65,536 字节未被擦除.")}));
        EXPECT_EQ(AskedLengthsOf(w), kWorkedExample);
        EXPECT_TRUE(w.ImageIs(0, kOld, {{0, 131072}, {196608, 10240000 - 196608}}));
        EXPECT_EQ(w.view.progress, 100);
    }
    EXPECT_FALSE(w.world.state.StopRequested);
}

INSTANTIATE_TEST_SUITE_P(
    WipeDevice, WriteError,
    ::testing::Values(ErrorCase{2, " - 介质已拔出", true}, ErrorCase{19, " - 介质受写保护", false},
                      ErrorCase{21, " - 设备未准备好 (超时)", false}, ErrorCase{55, " - 介质已拔出", true},
                      ErrorCase{121, " - 设备未准备好 (超时)", false}, ErrorCase{1117, " - 设备 I/O 错误", false},
                      ErrorCase{5, "", false}, ErrorCase{87, "", false}),
    [](const auto& info) { return "Code" + std::to_string(info.param.code); });

TEST(WipeDevice, AWriteProtectedDiskGetsOneLinePerBlockAndIsNotReportedAsErased) {
    FormatWorld p(Faulty([](sim::Disk& d) { d.writeErrors.push_back({0, d.size, platform::ERROR_WRITE_PROTECT}); }));
    Prepare(p);
    EXPECT_EQ(WipeDevice(p.run, true), FormatOutcome::CompletedWithErrors);
    // The block size follows the same rule as on a writable disk.
    EXPECT_EQ(AskedLengthsOf(p), kWorkedExample);
    const QStringList texts = p.FormatTexts();
    ASSERT_EQ(texts.size(), 51);
    for (int i = 0; i < 49; ++i) EXPECT_TRUE(texts[i].endsWith(QStringLiteral(":   19 - 介质受写保护"))) << i;
    EXPECT_EQ(texts[50], QStringLiteral("低级格式化结束, 但有 49 个块写入失败, 10,240,000 字节未被擦除."));
    EXPECT_EQ(p.view.progress, 100);
    EXPECT_TRUE(p.ImageIs(0, kOld, {}));
}

TEST(WipeDevice, AFailedSeekSkipsTheBlockWithoutWritingIt) {
    FormatWorld s(Faulty([](sim::Disk& d) { d.seekErrors.push_back({65536, 1, platform::ERROR_SEEK}); }));
    Prepare(s);
    EXPECT_EQ(WipeDevice(s.run, true), FormatOutcome::CompletedWithErrors);
    EXPECT_EQ(s.FormatTexts(),
              (QStringList{QStringLiteral("偏移处发生寻道错误                     65,536"), kAverage + "20.9 MB/s",
                           QStringLiteral("低级格式化结束, 但有 1 个块写入失败, 65,536 字节未被擦除.")}));
    EXPECT_EQ(s.Writes().size(), 48u);
    EXPECT_TRUE(s.ImageIs(0, kOld, {{0, 65536}, {131072, 10240000 - 131072}}));
}

TEST(WipeDevice, ARemovedMediumAbortsAtTheFailedBlockAndClearsAStopClickedInThatPass) {
    for (const bool stopInSamePass : {false, true}) {
        FormatWorld w(Faulty([](sim::Disk& d) { d.removeAfterBytes = 300000; }));
        w.world.FillImage(0, kOld);
        w.view.onProcessMessages = [&](int call) {
            Tick(w.world.clock, 10);
            if (stopInSamePass && call == 5) RequestStop(w.world.state);
        };
        EXPECT_EQ(WipeDevice(w.run, false), FormatOutcome::Aborted);
        EXPECT_EQ(w.FormatTexts(),
                  (QStringList{QStringLiteral("偏移处发生格式错误                       262,144:   55 - 介质已拔出"), kGone, kAverage + "6.6 MB/s",
                               QStringLiteral("操作在偏移处终止                       262,144    LBA 512")}));
        EXPECT_TRUE(w.ImageIs(0, kOld, {{0, 262144}}));
        EXPECT_TRUE(w.Storage().DiskRemoved(0));
        EXPECT_FALSE(w.world.state.StopRequested) << stopInSamePass;
    }
}

TEST_F(Wipe, StopIsHandledAtTheMessagesOfAPassWhoseBlockIsStillWritten) {
    w.view.onProcessMessages = [this](int call) {
        Tick(w.world.clock, 10);
        if (call == 3) RequestStop(w.world.state);
    };
    EXPECT_EQ(WipeDevice(w.run, true), FormatOutcome::Cancelled);
    EXPECT_EQ(w.Writes(), (Ranges{{0, 65536}, {65536, 65536}, {131072, 65536}}));
    EXPECT_EQ(w.view.painted.size(), 4u);
    EXPECT_EQ(w.FormatTexts(), (QStringList{kAverage + "6.6 MB/s", QStringLiteral("操作在偏移处被取消                     196,608    LBA 384")}));
    EXPECT_FALSE(w.world.state.StopRequested);
    EXPECT_TRUE(w.ImageIs(0, kOld, {{0, 196608}}));
}

TEST(WipeDevice, AStopBeforeTheFirstBlockWritesNothing) {
    for (const bool alreadySet : {false, true}) {
        FormatWorld s(OneDisk(40000));
        s.world.FillImage(0, kOld);
        s.world.state.StopRequested = alreadySet;
        s.view.speed = QStringLiteral("1.0 MB/s");
        s.view.onProcessMessages = [&s](int) { RequestStop(s.world.state); };
        EXPECT_EQ(WipeDevice(s.run, false), FormatOutcome::Cancelled);
        EXPECT_TRUE(s.Storage().Requests().empty());
        EXPECT_EQ(s.FormatTexts(), (QStringList{kAverage + "1.0 MB/s", QStringLiteral("操作在偏移处被取消                     0    LBA 0")}));
        EXPECT_FALSE(s.world.state.StopRequested);
        EXPECT_TRUE(s.ImageIs(0, kOld, {}));
    }
}

TEST_F(Wipe, WithoutItsBufferTheLoopSaysSoAndTouchesNothing) {
    w.run.zeroBuffer = [](std::size_t) { return platform::AlignedBuffer(); };
    EXPECT_EQ(WipeDevice(w.run, false), FormatOutcome::NoBuffer);
    EXPECT_EQ(w.FormatTexts(), QStringList{QStringLiteral("无法分配写入缓冲区, 操作已中止.")});
    EXPECT_TRUE(w.Storage().Requests().empty());
    EXPECT_TRUE(w.view.painted.empty());
    EXPECT_TRUE(w.ImageIs(0, kOld, {}));
}

// Writes half of the second block and reports that, without a failure.
class ShortSecondWrite : public platform::StorageApi {
public:
    explicit ShortSecondWrite(platform::StorageApi& inner) : inner_(inner) {}
    platform::Handle CreateFileW(std::u16string_view p, std::uint32_t a, std::uint32_t s, std::uint32_t c,
                                 std::uint32_t f) override {
        return inner_.CreateFileW(p, a, s, c, f);
    }
    bool CloseHandle(platform::Handle h) override { return inner_.CloseHandle(h); }
    bool DeviceIoControl(platform::Handle h, std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                         std::uint32_t outSize, std::uint32_t* returned) override {
        return inner_.DeviceIoControl(h, code, in, inSize, out, outSize, returned);
    }
    bool SetFilePointerEx(platform::Handle h, std::int64_t d, std::int64_t* n, std::uint32_t m) override {
        return inner_.SetFilePointerEx(h, d, n, m);
    }
    bool WriteFile(platform::Handle h, const void* b, std::uint32_t n, std::uint32_t* written) override {
        return inner_.WriteFile(h, b, ++writes_ == 2 ? n / 2 : n, written);
    }
    std::uint32_t GetLastError() override { return inner_.GetLastError(); }
    std::u16string FormatMessageW(std::uint32_t code) override { return inner_.FormatMessageW(code); }
    std::uint32_t GetLogicalDriveStringsW(std::uint32_t c, char16_t* b) override {
        return inner_.GetLogicalDriveStringsW(c, b);
    }

private:
    platform::StorageApi& inner_;
    int writes_ = 0;
};

TEST_F(Wipe, AShortWriteCountsAsFailedWithTheLastErrorCodeAndOnlyItsMissingBytes) {
    ShortSecondWrite storage(w.Storage());
    FormatContext run{w.world.state, storage, w.world.logs, w.world.clock, w.view};
    EXPECT_EQ(WipeDevice(run, true), FormatOutcome::CompletedWithErrors);
    const QStringList texts = w.FormatTexts();
    ASSERT_EQ(texts.size(), 3);
    // The write itself succeeded, so the code is the one left from it: 0.
    EXPECT_EQ(texts[0], QStringLiteral("偏移处发生格式错误                       65,536:   0"));
    EXPECT_EQ(texts[2], QStringLiteral("低级格式化结束, 但有 1 个块写入失败, 32,768 字节未被擦除."));
    EXPECT_TRUE(w.ImageIs(0, kOld, {{0, 65536 + 32768}, {131072, 10240000 - 131072}}));
}

TEST(WipeTexts, RoundHalvesToEvenAndUseTheLocalesSeparator) {
    struct {
        std::int64_t n, d, rounded;
    } const cases[] = {{0, 7, 0}, {1, 2, 0}, {3, 2, 2}, {5, 2, 2}, {7, 2, 4}, {25, 10, 2},
                       {35, 10, 4}, {26, 10, 3}, {24, 10, 2}, {65536, 512, 128},
                       {INT64_MAX, INT64_MAX, 1}, {INT64_MAX - 1, 2, INT64_MAX / 2}};
    for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c.n, c.d), c.rounded) << c.n << "/" << c.d;
    EXPECT_EQ(PercentText(37), QStringLiteral("37% 完成"));
    EXPECT_EQ(PercentText(101), QStringLiteral("100% 完成"));
    EXPECT_EQ(PositionText(1234567), QStringLiteral("当前扇区:           1,234,567"));
    EXPECT_EQ(SpeedText(0, QLocale::c()), QStringLiteral("0.0 MB/s"));
    EXPECT_EQ(SpeedText(12345, QLocale::c()), QStringLiteral("1234.5 MB/s"));
    EXPECT_EQ(SpeedText(123, QLocale(QLocale::German)), QStringLiteral("12,3 MB/s"));
}

}  // namespace
}  // namespace cendrix
