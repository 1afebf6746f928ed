// What the start-up's platform line tells about the system the program runs
// on: its own version numbers, a distribution or service-pack text, and the
// operating system's word width.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace cendrix {

struct PlatformInfo {
    std::int64_t major = 0;
    std::int64_t minor = 0;
    std::int64_t build = 0;
    QString servicePack;        // on Linux the distribution's name, else empty
    bool sixtyFourBit = false;  // the operating system's, not the process's
    bool ntFamily = true;       // every platform this program builds for passes
};

// The running system's information; start-up takes it as an input so that
// tests can pin it.
PlatformInfo CurrentPlatformInfo();

// The leading numbers of a kernel release such as "6.1.0-18-amd64" or a
// Windows version such as "10.0.19045": major, minor and build; missing
// numbers stay 0.
void ReadVersionNumbers(const QString& release, PlatformInfo& info);

// The PRETTY_NAME of an os-release file, unquoted; empty when absent.
QString PrettyNameFromOsRelease(const QByteArray& osRelease);

// Whether a CPU architecture name as Qt reports it ("x86_64", "arm64",
// "i386", ...) is a 64-bit one.
bool IsSixtyFourBitArchitecture(const QString& architecture);

// "平台:       " + major.minor.build + "   " + service-pack text + bitness.
QString PlatformLine(const PlatformInfo& info);

}  // namespace cendrix
