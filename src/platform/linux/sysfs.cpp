#include "platform/linux/sysfs.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/linux/bus_type.h"

namespace cendrix::platform::linux_backend {

namespace {

std::string Resolve(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return {};
    return resolved;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::uint64_t ReadNumber64(const std::string& path, std::uint64_t fallback) {
    const std::string text = ReadSysText(path);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : fallback;
}

std::uint32_t ReadNumber(const std::string& path, std::uint32_t fallback) {
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(ReadNumber64(path, fallback), 0xFFFFFFFFu));
}

std::string Basename(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Dirname(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string Trimmed(std::string text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\0'; };
    while (!text.empty() && isBlank(text.back())) text.pop_back();
    std::size_t first = 0;
    while (first < text.size() && isBlank(text[first])) ++first;
    return text.substr(first);
}

// The element "hostN" of a path, or empty.
std::string ScsiHostOf(const std::string& devicePath) {
    std::istringstream parts(devicePath);
    std::string part;
    while (std::getline(parts, part, '/')) {
        if (part.size() > 4 && part.starts_with("host") &&
            part.find_first_not_of("0123456789", 4) == std::string::npos) {
            return part;
        }
    }
    return {};
}

}  // namespace

std::string ReadSysText(const std::string& path) {
    std::string value = ReadSysBytes(path);
    while (!value.empty() && (value.back() == '\n' || value.back() == ' ' || value.back() == '\t')) {
        value.pop_back();
    }
    return value;
}

std::string ReadSysBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::vector<DiskCandidate> ReadDiskCandidates(const std::string& sysRoot) {
    std::vector<DiskCandidate> candidates;
    const std::string folder = sysRoot + "/block";
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return candidates;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        DiskCandidate c;
        c.name = name;
        c.hidden = ReadSysText(folder + "/" + name + "/hidden") == "1";
        c.loopBacked = !ReadSysText(folder + "/" + name + "/loop/backing_file").empty();
        candidates.push_back(std::move(c));
    }
    ::closedir(dir);
    return candidates;
}

DiskIdentity ReadDiskIdentity(const std::string& sysRoot, const std::string& name) {
    const std::string base = sysRoot + "/block/" + name;
    return DiskIdentity{ReadSysText(base + "/dev"), ReadSysText(base + "/diskseq")};
}

DiskFacts ReadDiskFacts(const std::string& sysRoot, const std::string& name) {
    const std::string base = sysRoot + "/block/" + name;
    DiskFacts facts;
    facts.devicePath = Resolve(base);
    if (facts.devicePath.empty()) facts.devicePath = base;
    const std::string mmcType = ReadSysText(base + "/device/type");
    std::string linkSpeed;
    if (const int port = AtaPortNumber(facts.devicePath); port >= 0) {
        linkSpeed = ReadSysText(sysRoot + "/class/ata_link/link" + std::to_string(port) + "/sata_spd");
    }
    std::string hostDriver;
    if (const std::string host = ScsiHostOf(facts.devicePath); !host.empty()) {
        hostDriver = ReadSysText(sysRoot + "/class/scsi_host/" + host + "/proc_name");
    }
    facts.busType = BusTypeFromSysfs(facts.devicePath, name, BusHints{mmcType, linkSpeed, hostDriver});
    facts.removable = ReadSysText(base + "/removable") == "1";
    const std::uint32_t kilobytes = ReadNumber(base + "/queue/max_hw_sectors_kb", 128);
    facts.maxTransferBytes = kilobytes > 0xFFFFFFFFu / 1024 ? 0xFFFFFFFFu : kilobytes * 1024;
    facts.maxSegments = ReadNumber(base + "/queue/max_segments", 1);
    facts.alignmentMask = ReadNumber(base + "/queue/dma_alignment", 511);
    return facts;
}

std::string SerialFromVpd80(const std::string& page) {
    if (page.size() < 4 || static_cast<unsigned char>(page[1]) != 0x80) return {};
    const std::size_t length = (static_cast<unsigned char>(page[2]) << 8) | static_cast<unsigned char>(page[3]);
    return Trimmed(page.substr(4, length));
}

DeviceTexts SysfsTexts(const std::string& sysRoot, const std::string& name) {
    const std::string base = sysRoot + "/block/" + name;
    DeviceTexts texts;
    switch (FamilyOf(name)) {
        case DiskFamily::Loop:
            // A loop device has no identity of its own; its kernel name tells
            // which of them it is.
            texts.vendor = "Linux";
            texts.product = "Loop device";
            texts.serial = name;
            return texts;
        case DiskFamily::Nvme:
            texts.product = Trimmed(ReadSysText(base + "/device/model"));
            texts.revision = Trimmed(ReadSysText(base + "/device/firmware_rev"));
            texts.serial = Trimmed(ReadSysText(base + "/device/serial"));
            return texts;
        case DiskFamily::Mmc:
            texts.product = Trimmed(ReadSysText(base + "/device/name"));
            texts.revision = Trimmed(ReadSysText(base + "/device/fwrev"));
            texts.serial = Trimmed(ReadSysText(base + "/device/serial"));
            return texts;
        case DiskFamily::Vd:
        case DiskFamily::Xvd:
            texts.serial = Trimmed(ReadSysText(base + "/serial"));
            return texts;
        default:
            break;
    }
    texts.vendor = Trimmed(ReadSysText(base + "/device/vendor"));
    texts.product = Trimmed(ReadSysText(base + "/device/model"));
    texts.revision = Trimmed(ReadSysText(base + "/device/rev"));
    texts.serial = SerialFromVpd80(ReadSysBytes(base + "/device/vpd_pg80"));
    return texts;
}

bool IdentifyFromVpd89(const std::string& page, std::uint8_t* sector) {
    // Header (4 bytes), SAT vendor, product and revision (4..55), the
    // device signature (36 bytes from 36), command code (56), then the
    // IDENTIFY data from 60.
    constexpr std::size_t kIdentifyAt = 60;
    if (page.size() < kIdentifyAt + 512 || static_cast<unsigned char>(page[1]) != 0x89) return false;
    std::copy(page.begin() + kIdentifyAt, page.begin() + kIdentifyAt + 512, sector);
    return true;
}

std::vector<PartitionExtent> ReadPartitions(const std::string& sysRoot, const std::string& disk) {
    std::vector<PartitionExtent> partitions;
    const std::string folder = sysRoot + "/block/" + disk;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return partitions;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const std::string base = folder + "/" + name;
        if (!name.starts_with(disk) || !Exists(base + "/partition")) continue;
        PartitionExtent p;
        p.name = name;
        const std::string dev = ReadSysText(base + "/dev");
        if (std::sscanf(dev.c_str(), "%u:%u", &p.major, &p.minor) != 2) continue;
        // sysfs counts in 512-byte units whatever the sector size.
        p.start = ReadNumber64(base + "/start", 0) * 512;
        p.length = ReadNumber64(base + "/size", 0) * 512;
        partitions.push_back(std::move(p));
    }
    ::closedir(dir);
    return partitions;
}

std::optional<BlockLocation> LocateBlockDevice(const std::string& sysRoot, unsigned major,
                                               unsigned minor) {
    const std::string link = sysRoot + "/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
    const std::string device = Resolve(link);
    if (device.empty()) return std::nullopt;
    BlockLocation location;
    location.name = Basename(device);
    if (Exists(device + "/partition")) {
        location.partition = ReadNumber(device + "/partition", 0);
        location.disk = Basename(Dirname(device));
    } else {
        location.disk = location.name;
    }
    return location;
}

}  // namespace cendrix::platform::linux_backend
