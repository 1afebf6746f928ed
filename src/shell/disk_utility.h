// The disk-management tool that the chooser's link starts.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace cendrix {

struct ExternalCommand {
    QString program;  // empty when the desktop has no such tool
    QStringList arguments;
    bool Found() const { return !program.isEmpty(); }
};

// Looks a program name up on the search path; empty when not found.
using ExecutableFinder = std::function<QString(const QString& name)>;

// On Windows the disk management console; elsewhere the desktop's disk
// utility, the first of GNOME Disks, KDE Partition Manager and GParted that
// `find` finds.
ExternalCommand DiskManagementCommand(const ExecutableFinder& find);

}  // namespace cendrix
