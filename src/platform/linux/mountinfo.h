// The mounted file systems as /proc/self/mountinfo lists them: on Linux the
// mount points of block-device file systems stand for the drive letters.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cendrix::platform::linux_backend {

struct MountEntry {
    int id = 0;
    int parentId = 0;
    unsigned major = 0;
    unsigned minor = 0;
    std::string root;        // the part of the file system mounted here
    std::string mountPoint;
    std::string fsType;
    std::string source;
};

// Undoes the kernel's octal escapes (\040 blank, \011 tab, \012 line
// break, \134 backslash); anything else stays as it is.
std::string DecodeMountText(std::string_view field);

// One entry per well-formed line, in the kernel's order (a mount comes after
// the mount it lies on); malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// The mounts to offer as volumes: those `keep` accepts, each mount point
// once (the mount listed last, which covers the others there), deeper mount
// points first, so that locking in list order unmounts a mount before the
// one it lies on.
std::vector<MountEntry> VolumeMounts(const std::vector<MountEntry>& entries,
                                     const std::function<bool(const MountEntry&)>& keep);

}  // namespace cendrix::platform::linux_backend
