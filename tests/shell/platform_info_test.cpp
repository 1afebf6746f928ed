#include "shell/platform_info.h"

#include <gtest/gtest.h>

#include "support/recording_view.h"

namespace cendrix {
namespace {

TEST(PlatformInfo, ReadsTheLeadingVersionNumbers) {
    struct Case {
        const char* release;
        std::int64_t major, minor, build;
    } cases[] = {
        {"6.1.0-18-amd64", 6, 1, 0},
        {"6.18.44-fc-v1607", 6, 18, 44},
        {"5.15.153.1-microsoft-standard-WSL2", 5, 15, 153},
        {"10.0.19045", 10, 0, 19045},
        {"6.8", 6, 8, 0},
        {"7", 7, 0, 0},
        {"", 0, 0, 0},
        {"rolling", 0, 0, 0},
    };
    for (const Case& c : cases) {
        PlatformInfo info;
        info.major = info.minor = info.build = 99;
        ReadVersionNumbers(QString::fromLatin1(c.release), info);
        EXPECT_EQ(info.major, c.major) << c.release;
        EXPECT_EQ(info.minor, c.minor) << c.release;
        EXPECT_EQ(info.build, c.build) << c.release;
    }
}

TEST(PlatformInfo, TakesThePrettyNameOfOsRelease) {
    EXPECT_EQ(PrettyNameFromOsRelease("NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n"),
              QStringLiteral("Debian GNU/Linux 12 (bookworm)"));
    EXPECT_EQ(PrettyNameFromOsRelease("PRETTY_NAME='Arch Linux'\n"), QStringLiteral("Arch Linux"));
    EXPECT_EQ(PrettyNameFromOsRelease("PRETTY_NAME=Gentoo\n"), QStringLiteral("Gentoo"));
    EXPECT_EQ(PrettyNameFromOsRelease("NAME=Foo\nID=foo\n"), QString());
    EXPECT_EQ(PrettyNameFromOsRelease(""), QString());
}

TEST(PlatformInfo, TellsSixtyFourBitArchitectures) {
    for (const char* arch : {"x86_64", "arm64", "ia64", "mips64", "power64", "riscv64", "s390x", "sparcv9"}) {
        EXPECT_TRUE(IsSixtyFourBitArchitecture(QString::fromLatin1(arch))) << arch;
    }
    for (const char* arch : {"i386", "arm", "mips", "power", "riscv32", "s390", "sparc"}) {
        EXPECT_FALSE(IsSixtyFourBitArchitecture(QString::fromLatin1(arch))) << arch;
    }
}

TEST(PlatformInfo, PlatformLineJoinsNumbersServicePackAndBitness) {
    PlatformInfo info = testing::TestPlatform();
    EXPECT_EQ(PlatformLine(info), QStringLiteral("平台:       6.1.0   Debian GNU/Linux 12 (bookworm)  (64 位)"));
    info.servicePack.clear();
    info.sixtyFourBit = false;
    EXPECT_EQ(PlatformLine(info), QStringLiteral("平台:       6.1.0     (32 位)"));
}

TEST(PlatformInfo, TheRunningSystemPassesTheFamilyCheckAndHasAVersion) {
    const PlatformInfo info = CurrentPlatformInfo();
    EXPECT_TRUE(info.ntFamily);
    EXPECT_GT(info.major, 0);
}

}  // namespace
}  // namespace cendrix
