#include "shell/disk_utility.h"

namespace cendrix {

ExternalCommand DiskManagementCommand(const ExecutableFinder& find) {
#if defined(Q_OS_WIN)
    (void)find;
    return {QStringLiteral("mmc.exe"), {QStringLiteral("diskmgmt.msc")}};
#else
    for (const char* name : {"gnome-disks", "partitionmanager", "gparted"}) {
        const QString path = find(QString::fromLatin1(name));
        if (!path.isEmpty()) return {path, {}};
    }
    return {};
#endif
}

}  // namespace cendrix
