#include "platform/linux/bus_type.h"

#include <string>
#include <vector>

namespace cendrix::platform::linux_backend {

namespace {

std::vector<std::string_view> Elements(std::string_view path) {
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const auto slash = path.find('/');
        const std::string_view part = path.substr(0, slash);
        if (!part.empty()) parts.push_back(part);
        if (slash == std::string_view::npos) break;
        path.remove_prefix(slash + 1);
    }
    return parts;
}

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// An element that is `prefix` followed by a number: "ata1", "usb2", "host0".
bool NumberedElement(std::string_view element, std::string_view prefix) {
    return element.starts_with(prefix) && AllDigits(element.substr(prefix.size()));
}

bool AnyElement(const std::vector<std::string_view>& parts, std::string_view prefix, bool numbered) {
    for (std::string_view p : parts) {
        if (numbered ? NumberedElement(p, prefix) : p.starts_with(prefix)) return true;
    }
    return false;
}

}  // namespace

int AtaPortNumber(std::string_view devicePath) {
    for (std::string_view p : Elements(devicePath)) {
        if (NumberedElement(p, "ata")) return std::stoi(std::string(p.substr(3)));
    }
    return -1;
}

std::uint8_t BusTypeFromSysfs(std::string_view devicePath, std::string_view name,
                              const BusHints& hints) {
    const std::vector<std::string_view> parts = Elements(devicePath);
    if (name.starts_with("loop")) return kBusFileBackedVirtual;
    // A USB bridge comes first: behind it there may be a SCSI host and
    // target, but the disk is still on USB.
    if (AnyElement(parts, "usb", true)) return kBusUsb;
    if (name.starts_with("nvme") || AnyElement(parts, "nvme", false)) return kBusNvme;
    if (name.starts_with("mmcblk") || AnyElement(parts, "mmc_host", false)) {
        return hints.mmcType == "MMC" ? kBusMmc : kBusSd;
    }
    if (AnyElement(parts, "ata", true)) {
        // libata: a parallel host, or a link that never negotiated a serial
        // speed, is the old ATA bus; everything else is SATA.
        if (hints.scsiHostDriver.starts_with("pata_") || hints.ataLinkSpeed == "<unknown>") {
            return kBusAta;
        }
        return kBusSata;
    }
    if (AnyElement(parts, "end_device-", false) || AnyElement(parts, "expander-", false) ||
        AnyElement(parts, "port-", false)) {
        return kBusSas;
    }
    if (AnyElement(parts, "session", true)) return kBusIscsi;
    if (AnyElement(parts, "rport-", false)) return kBusFibre;
    if (AnyElement(parts, "fw", true)) return kBus1394;
    const bool scsiHost = AnyElement(parts, "host", true);
    if (AnyElement(parts, "virtio", true)) return scsiHost ? kBusScsi : kBusVirtual;
    if (name.starts_with("xvd") || AnyElement(parts, "vbd-", false)) return kBusVirtual;
    if (scsiHost) return kBusScsi;
    return kBusUnknown;
}

}  // namespace cendrix::platform::linux_backend
