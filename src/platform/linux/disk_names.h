// Which entries of /sys/block are whole disks Cendrix may number, and in
// which order: the numbering N of \\.\PhysicalDriveN on Linux.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace cendrix::platform::linux_backend {

// The kinds of whole-disk names, in the order their disks are numbered.
enum class DiskFamily { None, Sd, Hd, Vd, Xvd, Nvme, Mmc, Loop };

// The family of a /sys/block name; None for partitions (sda1, nvme0n1p2),
// the boot and RPMB areas of an eMMC (mmcblk0boot0), NVMe paths that are
// hidden behind a multipath head (nvme0c0n1), RAM disks, zram, device
// mapper, md, optical drives and everything else.
DiskFamily FamilyOf(std::string_view name);

// Natural order of two disk names: first by family, then piece by piece,
// digit runs by value (loop2 < loop10) and letter runs by length, then
// alphabet (sdz < sdaa).
bool NaturalLess(std::string_view a, std::string_view b);

// One entry of /sys/block as the numbering needs it.
struct DiskCandidate {
    std::string name;
    bool hidden = false;       // the "hidden" attribute is 1
    bool loopBacked = false;   // a loop device with a backing file
};

// The allow-list of CENDRIX_ALLOW_DISKS: kernel names separated by commas
// (blanks around them and a leading /dev/ are ignored). nullopt when the
// variable is unset, which allows every disk; an empty set when it is set
// but names nothing, which allows none.
using AllowList = std::optional<std::set<std::string>>;
AllowList ParseAllowList(const char* value);

// The disks that get numbers, in number order: whole disks only, loop
// devices only while they have a backing file, hidden disks never, and
// with an allow-list only the disks it names, numbered among themselves.
std::vector<std::string> NumberDisks(std::vector<DiskCandidate> candidates, const AllowList& allow);

}  // namespace cendrix::platform::linux_backend
