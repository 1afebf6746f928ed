#include "platform/control_codes.h"

#include <array>
#include <utility>

namespace cendrix::platform {
namespace {

constexpr std::array<std::pair<std::string_view, std::uint32_t>, 13> kCodes{{
    {"IOCTL_DISK_GET_DRIVE_GEOMETRY", IOCTL_DISK_GET_DRIVE_GEOMETRY},
    {"IOCTL_DISK_GET_LENGTH_INFO", IOCTL_DISK_GET_LENGTH_INFO},
    {"IOCTL_DISK_UPDATE_PROPERTIES", IOCTL_DISK_UPDATE_PROPERTIES},
    {"IOCTL_STORAGE_QUERY_PROPERTY", IOCTL_STORAGE_QUERY_PROPERTY},
    {"IOCTL_STORAGE_GET_DEVICE_NUMBER", IOCTL_STORAGE_GET_DEVICE_NUMBER},
    {"IOCTL_SCSI_GET_INQUIRY_DATA", IOCTL_SCSI_GET_INQUIRY_DATA},
    {"IOCTL_SCSI_MINIPORT", IOCTL_SCSI_MINIPORT},
    {"SMART_GET_VERSION", SMART_GET_VERSION},
    {"SMART_SEND_DRIVE_COMMAND", SMART_SEND_DRIVE_COMMAND},
    {"SMART_RCV_DRIVE_DATA", SMART_RCV_DRIVE_DATA},
    {"FSCTL_LOCK_VOLUME", FSCTL_LOCK_VOLUME},
    {"FSCTL_DISMOUNT_VOLUME", FSCTL_DISMOUNT_VOLUME},
    {"FSCTL_ALLOW_EXTENDED_DASD_IO", FSCTL_ALLOW_EXTENDED_DASD_IO},
}};

}  // namespace

std::optional<std::uint32_t> ControlCodeByName(std::string_view name) {
    for (const auto& [codeName, code] : kCodes) {
        if (codeName == name) return code;
    }
    return std::nullopt;
}

}  // namespace cendrix::platform
