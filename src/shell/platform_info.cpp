#include "shell/platform_info.h"

#include <QFile>
#include <QList>
#include <QSysInfo>

namespace cendrix {

void ReadVersionNumbers(const QString& release, PlatformInfo& info) {
    std::int64_t* const fields[] = {&info.major, &info.minor, &info.build};
    for (std::int64_t* field : fields) *field = 0;
    qsizetype at = 0;
    for (std::int64_t* field : fields) {
        const qsizetype start = at;
        std::int64_t value = 0;
        while (at < release.size() && release[at].isDigit() && at - start < 18) {
            value = value * 10 + release[at].digitValue();
            ++at;
        }
        if (at == start) return;  // no number here: the rest stay 0
        *field = value;
        if (at >= release.size() || release[at] != QLatin1Char('.')) return;
        ++at;
    }
}

QString PrettyNameFromOsRelease(const QByteArray& osRelease) {
    const QList<QByteArray> lines = osRelease.split('\n');
    for (const QByteArray& raw : lines) {
        const QByteArray line = raw.trimmed();
        if (!line.startsWith("PRETTY_NAME=")) continue;
        QByteArray value = line.mid(12);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.mid(1, value.size() - 2);
        }
        value.replace("\\\"", "\"");
        return QString::fromUtf8(value);
    }
    return {};
}

bool IsSixtyFourBitArchitecture(const QString& architecture) {
    // Qt names 64-bit architectures with "64" in them, apart from these two.
    return architecture.contains(QLatin1String("64")) || architecture == QLatin1String("s390x") ||
           architecture == QLatin1String("sparcv9");
}

PlatformInfo CurrentPlatformInfo() {
    PlatformInfo info;
    // The kernel's own numbers: on Linux the release of uname (6.1.0-...),
    // on Windows the system's major.minor.build.
    ReadVersionNumbers(QSysInfo::kernelVersion(), info);
#if defined(Q_OS_LINUX)
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile file(QString::fromLatin1(path));
        if (file.open(QIODevice::ReadOnly)) {
            info.servicePack = PrettyNameFromOsRelease(file.readAll());
            break;
        }
    }
#endif
    // Present-day Windows has no service-pack text; other systems have no
    // counterpart beyond the distribution's name read above.
    //
    // currentCpuArchitecture() is the system's architecture even for a 32-bit
    // process on a 64-bit system, which is what the line reports.
    info.sixtyFourBit = IsSixtyFourBitArchitecture(QSysInfo::currentCpuArchitecture());
    info.ntFamily = true;
    return info;
}

QString PlatformLine(const PlatformInfo& info) {
    return QStringLiteral("平台:       ") + QString::number(info.major) + QLatin1Char('.') +
           QString::number(info.minor) + QLatin1Char('.') + QString::number(info.build) +
           QStringLiteral("   ") + info.servicePack +
           (info.sixtyFourBit ? QStringLiteral("  (64 位)") : QStringLiteral("  (32 位)"));
}

}  // namespace cendrix
