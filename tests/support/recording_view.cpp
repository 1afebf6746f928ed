#include "support/recording_view.h"

namespace cendrix::testing {

QLocale TestLocale() { return QLocale(QLocale::Chinese, QLocale::China); }

PlatformInfo TestPlatform() {
    PlatformInfo info;
    info.major = 6;
    info.minor = 1;
    info.build = 0;
    info.servicePack = QStringLiteral("Debian GNU/Linux 12 (bookworm)");
    info.sixtyFourBit = true;
    return info;
}

}  // namespace cendrix::testing
