// One boot of the emulated machine (run-guest): cendrix-cli run inside it
// on emulated ATA disks, and what each command printed.
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <map>
#include <vector>

namespace cendrix::testing {

// A disk of the emulated machine: an image file and the identity the
// emulated drive reports in its IDENTIFY data, on an AHCI port (SATA) or
// on the board's IDE channel (PATA).
struct GuestDisk {
    enum class Kind { Sata, Pata };
    Kind kind = Kind::Sata;
    QString image;
    QString model;     // at most 40 characters
    QString serial;    // at most 20
    QString firmware;  // at most 8
};

struct GuestCommand {
    int exitCode = -1;
    QString out;
    QString err;
};

struct GuestRun {
    QString skipReason;   // set when this machine cannot run the emulator
    QString error;        // set when the run failed
    std::map<int, GuestCommand> commands;  // by position, from 1
    QMap<QString, QString> timing;         // accel, boot_seconds, total_seconds, script_seconds
    QString results;      // the guest's whole report, for failure messages
    QString console;      // the guest's console
};

// Boots the guest with `disks` (sda, sdb, ... in this order), cendrix-cli
// and `programs` in its /bin, and runs each of `commands` as a shell command
// line (CENDRIX_ALLOW_DISKS naming every disk inside), in `work`.
GuestRun RunGuest(const std::vector<GuestDisk>& disks, const QStringList& programs,
                  const QStringList& commands, const QString& work);

}  // namespace cendrix::testing
