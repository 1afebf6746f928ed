#include "platform/linux/disk_names.h"

#include <algorithm>
#include <cctype>

namespace cendrix::platform::linux_backend {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLower(char c) { return c >= 'a' && c <= 'z'; }

bool AllOf(std::string_view text, bool (*test)(char)) {
    return !text.empty() && std::all_of(text.begin(), text.end(), test);
}

// "nvme" digits "n" digits, nothing else.
bool IsNvmeNamespace(std::string_view rest) {
    const auto n = rest.find('n');
    return n != std::string_view::npos && AllOf(rest.substr(0, n), IsDigit) &&
           AllOf(rest.substr(n + 1), IsDigit);
}

int Rank(DiskFamily family) { return static_cast<int>(family); }

// Compares two digit runs by value without converting them (they may be
// longer than any integer type).
int CompareNumbers(std::string_view a, std::string_view b) {
    while (a.size() > 1 && a.front() == '0') a.remove_prefix(1);
    while (b.size() > 1 && b.front() == '0') b.remove_prefix(1);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

int CompareWords(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

std::string_view TakeRun(std::string_view& text) {
    std::size_t end = 1;
    const bool digits = IsDigit(text[0]);
    while (end < text.size() && IsDigit(text[end]) == digits) ++end;
    const std::string_view run = text.substr(0, end);
    text.remove_prefix(end);
    return run;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

}  // namespace

DiskFamily FamilyOf(std::string_view name) {
    // The longer prefix first: "xvd" also begins like nothing else, but
    // "vd" must not take "xvda".
    if (name.starts_with("xvd")) return AllOf(name.substr(3), IsLower) ? DiskFamily::Xvd : DiskFamily::None;
    if (name.starts_with("sd")) return AllOf(name.substr(2), IsLower) ? DiskFamily::Sd : DiskFamily::None;
    if (name.starts_with("hd")) return AllOf(name.substr(2), IsLower) ? DiskFamily::Hd : DiskFamily::None;
    if (name.starts_with("vd")) return AllOf(name.substr(2), IsLower) ? DiskFamily::Vd : DiskFamily::None;
    if (name.starts_with("nvme")) return IsNvmeNamespace(name.substr(4)) ? DiskFamily::Nvme : DiskFamily::None;
    if (name.starts_with("mmcblk")) return AllOf(name.substr(6), IsDigit) ? DiskFamily::Mmc : DiskFamily::None;
    if (name.starts_with("loop")) return AllOf(name.substr(4), IsDigit) ? DiskFamily::Loop : DiskFamily::None;
    return DiskFamily::None;
}

bool NaturalLess(std::string_view a, std::string_view b) {
    const int rankA = Rank(FamilyOf(a));
    const int rankB = Rank(FamilyOf(b));
    if (rankA != rankB) return rankA < rankB;
    while (!a.empty() && !b.empty()) {
        const bool digitsA = IsDigit(a.front());
        const bool digitsB = IsDigit(b.front());
        if (digitsA != digitsB) return digitsA;  // a number sorts before a word
        const std::string_view runA = TakeRun(a);
        const std::string_view runB = TakeRun(b);
        const int order = digitsA ? CompareNumbers(runA, runB) : CompareWords(runA, runB);
        if (order != 0) return order < 0;
    }
    return a.size() < b.size();
}

AllowList ParseAllowList(const char* value) {
    if (value == nullptr) return std::nullopt;
    std::set<std::string> names;
    std::string_view rest(value);
    while (true) {
        const auto comma = rest.find(',');
        std::string_view item = Trim(rest.substr(0, comma));
        if (item.starts_with("/dev/")) item.remove_prefix(5);
        if (!item.empty()) names.emplace(item);
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return names;
}

std::vector<std::string> NumberDisks(std::vector<DiskCandidate> candidates, const AllowList& allow) {
    std::vector<std::string> names;
    for (DiskCandidate& c : candidates) {
        const DiskFamily family = FamilyOf(c.name);
        if (family == DiskFamily::None || c.hidden) continue;
        if (family == DiskFamily::Loop && !c.loopBacked) continue;
        if (allow && allow->count(c.name) == 0) continue;
        names.push_back(std::move(c.name));
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

}  // namespace cendrix::platform::linux_backend
