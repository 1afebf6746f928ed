#include "platform/linux/mountinfo.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace cendrix::platform::linux_backend {

namespace {

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    while (!line.empty()) {
        const auto start = line.find_first_not_of(' ');
        if (start == std::string_view::npos) break;
        line.remove_prefix(start);
        const auto end = line.find(' ');
        fields.push_back(line.substr(0, end));
        if (end == std::string_view::npos) break;
        line.remove_prefix(end);
    }
    return fields;
}

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::size_t Depth(std::string_view path) {
    std::size_t depth = 0;
    bool inName = false;
    for (char c : path) {
        if (c == '/') {
            inName = false;
        } else if (!inName) {
            inName = true;
            ++depth;
        }
    }
    return depth;
}

}  // namespace

std::string DecodeMountText(std::string_view field) {
    std::string text;
    text.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) &&
            IsOctal(field[i + 2]) && IsOctal(field[i + 3])) {
            const int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value <= 0xFF) {
                text.push_back(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        text.push_back(field[i]);
    }
    return text;
}

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> entries;
    while (!text.empty()) {
        const auto newline = text.find('\n');
        const std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);

        const std::vector<std::string_view> f = Fields(line);
        // id parent major:minor root mountpoint options [optional...] - type source superoptions
        const auto separator = std::find(f.begin(), f.end(), std::string_view("-"));
        if (f.size() < 6 || separator == f.end() || separator - f.begin() < 6 ||
            f.end() - separator < 3) {
            continue;
        }
        MountEntry entry;
        const std::string_view device = f[2];
        const auto colon = device.find(':');
        if (colon == std::string_view::npos || !ParseNumber(f[0], entry.id) ||
            !ParseNumber(f[1], entry.parentId) || !ParseNumber(device.substr(0, colon), entry.major) ||
            !ParseNumber(device.substr(colon + 1), entry.minor)) {
            continue;
        }
        entry.root = DecodeMountText(f[3]);
        entry.mountPoint = DecodeMountText(f[4]);
        entry.fsType = DecodeMountText(separator[1]);
        entry.source = DecodeMountText(separator[2]);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<MountEntry> VolumeMounts(const std::vector<MountEntry>& entries,
                                     const std::function<bool(const MountEntry&)>& keep) {
    std::vector<MountEntry> mounts;
    std::set<std::string> seen;
    // From the last line up, so that the mount that covers a mount point is
    // the one kept; the order is restored afterwards.
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (!seen.insert(it->mountPoint).second) continue;
        if (keep(*it)) mounts.push_back(*it);
    }
    std::reverse(mounts.begin(), mounts.end());
    std::stable_sort(mounts.begin(), mounts.end(), [](const MountEntry& a, const MountEntry& b) {
        return Depth(a.mountPoint) > Depth(b.mountPoint);
    });
    return mounts;
}

}  // namespace cendrix::platform::linux_backend
