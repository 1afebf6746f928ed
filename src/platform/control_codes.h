// Windows control codes of the requests Cendrix sends, with their names as
// the simulated machine's manifest spells them.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace cendrix::platform {

inline constexpr std::uint32_t IOCTL_DISK_GET_DRIVE_GEOMETRY = 0x00070000u;
inline constexpr std::uint32_t IOCTL_DISK_GET_LENGTH_INFO = 0x0007405Cu;
inline constexpr std::uint32_t IOCTL_DISK_UPDATE_PROPERTIES = 0x00070140u;
inline constexpr std::uint32_t IOCTL_STORAGE_QUERY_PROPERTY = 0x002D1400u;
inline constexpr std::uint32_t IOCTL_STORAGE_GET_DEVICE_NUMBER = 0x002D1080u;
inline constexpr std::uint32_t IOCTL_SCSI_GET_INQUIRY_DATA = 0x0004100Cu;
inline constexpr std::uint32_t IOCTL_SCSI_MINIPORT = 0x0004D008u;
inline constexpr std::uint32_t SMART_GET_VERSION = 0x00074080u;
inline constexpr std::uint32_t SMART_SEND_DRIVE_COMMAND = 0x0007C084u;
inline constexpr std::uint32_t SMART_RCV_DRIVE_DATA = 0x0007C088u;
inline constexpr std::uint32_t FSCTL_LOCK_VOLUME = 0x00090018u;
inline constexpr std::uint32_t FSCTL_DISMOUNT_VOLUME = 0x00090020u;
inline constexpr std::uint32_t FSCTL_ALLOW_EXTENDED_DASD_IO = 0x00090083u;

// Control code carried inside the SRB_IO_CONTROL header of a miniport request.
inline constexpr std::uint32_t IOCTL_SCSI_MINIPORT_IDENTIFY = 0x001B0501u;

// Storage property identifiers of IOCTL_STORAGE_QUERY_PROPERTY.
inline constexpr std::uint32_t StorageDeviceProperty = 0u;
inline constexpr std::uint32_t StorageAdapterProperty = 1u;

// Device type of a disk in STORAGE_DEVICE_NUMBER.
inline constexpr std::uint32_t FILE_DEVICE_DISK = 7u;

// "SMART_GET_VERSION" -> 0x00074080; nullopt for a name that is not listed.
std::optional<std::uint32_t> ControlCodeByName(std::string_view name);

}  // namespace cendrix::platform
