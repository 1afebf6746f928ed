// seam-probe: sends the ATA requests of the transport through the real
// storage backend to \\.\PhysicalDriveN (N = DISK, 0 when not given),
// opened as the program opens the chosen disk, and prints one line per
// request. Run inside the emulated machine, whose disks are emulated ATA
// drives.
//
//   seam-probe [DISK]         every request, switching SMART on and off again
//   seam-probe state [DISK]   the drive's SMART state as found: IDENTIFY, and a
//                             READ DATA without switching SMART on first (the
//                             drive aborts it while SMART is off), with its
//                             attributes
//
//   NAME ok=0|1 error=CODE returned=BYTES [details]
//   attribute id=ID current=N worst=N raw=N
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/byte_order.h"
#include "platform/control_codes.h"
#include "platform/real_storage.h"

namespace p = cendrix::platform;

namespace {

// SENDCMDINPARAMS: buffer size, the seven registers, the drive number.
std::vector<std::uint8_t> SendCmdIn(std::uint32_t bufferSize, std::uint8_t features, std::uint8_t cylLow,
                                    std::uint8_t cylHigh, std::uint8_t command) {
    std::vector<std::uint8_t> in(33, 0);
    p::StoreLe32(in.data(), bufferSize);
    const std::uint8_t regs[7] = {features, 1, 1, cylLow, cylHigh, 0xA0, command};
    std::memcpy(in.data() + 4, regs, 7);
    return in;
}

// An ATA text of an IDENTIFY sector: each word holds its first character in
// the high byte.
std::string AtaText(const std::uint8_t* id, int word, int words) {
    std::string text;
    for (int w = word; w < word + words; ++w) {
        text += static_cast<char>(id[2 * w + 1]);
        text += static_cast<char>(id[2 * w]);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
    return text;
}

void Print(const char* name, bool ok, p::StorageApi& storage, std::uint32_t returned, const std::string& details = {}) {
    std::printf("%s ok=%d error=%u returned=%u%s%s\n", name, ok ? 1 : 0, ok ? 0u : storage.GetLastError(), returned,
                details.empty() ? "" : " ", details.c_str());
}

std::string IdentityDetails(const std::uint8_t* id) {
    return "model=[" + AtaText(id, 27, 20) + "] serial=[" + AtaText(id, 10, 10) + "] firmware=[" +
           AtaText(id, 23, 4) + "]";
}

void Identify(p::StorageApi& storage, p::Handle disk) {
    auto in = SendCmdIn(512, 0, 0, 0, 0xEC);
    std::vector<std::uint8_t> out(528, 0);
    std::uint32_t returned = 0;
    const bool ok = storage.DeviceIoControl(disk, p::SMART_RCV_DRIVE_DATA, in.data(), 33, out.data(), 528, &returned);
    // Word 82 bit 0: the SMART feature set is supported; word 85 bit 0: enabled.
    Print("identify", ok, storage, returned,
          "buffer-size=" + std::to_string(p::LoadLe32(out.data())) + " " + IdentityDetails(out.data() + 16) +
              " smart-supported=" + std::to_string(out[16 + 164] & 1) +
              " smart-enabled=" + std::to_string(out[16 + 170] & 1));
}

// SMART READ DATA through `code`; with `table`, one line per attribute
// entry of the answer.
void SmartRead(p::StorageApi& storage, p::Handle disk, std::uint32_t code, const char* name, bool table) {
    auto in = SendCmdIn(512, 0xD0, 0x4F, 0xC2, 0xB0);
    std::vector<std::uint8_t> out(1039, 0);
    std::uint32_t returned = 0;
    const bool ok = storage.DeviceIoControl(disk, code, in.data(), 32, out.data(), 1039, &returned);
    if (!ok) {
        Print(name, ok, storage, returned);
        return;
    }
    const std::uint8_t* data = out.data() + 16;
    std::uint8_t sum = 0;
    int attributes = 0;
    for (int i = 0; i < 512; ++i) sum = static_cast<std::uint8_t>(sum + data[i]);
    for (int k = 0; k < 30; ++k) attributes += data[2 + 12 * k] != 0 ? 1 : 0;
    Print(name, ok, storage, returned,
          "checksum=" + std::to_string(sum) + " attributes=" + std::to_string(attributes));
    if (!table) return;
    for (int k = 0; k < 30; ++k) {
        const std::uint8_t* entry = data + 2 + 12 * k;
        if (entry[0] == 0) continue;
        unsigned long long raw = 0;
        for (int b = 5; b >= 0; --b) raw = (raw << 8) | entry[5 + b];
        std::printf("attribute id=%u current=%u worst=%u raw=%llu\n", entry[0], entry[3], entry[4], raw);
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool stateOnly = false;
    std::u16string path = u"\\\\.\\PhysicalDrive0";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "state") == 0) {
            stateOnly = true;
        } else {
            path = u"\\\\.\\PhysicalDrive";
            for (const char* c = argv[i]; *c != 0; ++c) path += static_cast<char16_t>(*c);
        }
    }
    std::string error;
    auto storage = p::MakeRealStorage(&error);
    if (!storage) {
        std::printf("no backend: %s\n", error.c_str());
        return 1;
    }
    const p::Handle disk = storage->CreateFileW(path, p::GENERIC_READ | p::GENERIC_WRITE, 0,
                                                p::OPEN_EXISTING, 0);
    Print("open", disk != p::INVALID_HANDLE_VALUE, *storage, 0);
    if (disk == p::INVALID_HANDLE_VALUE) return 1;
    if (stateOnly) {
        Identify(*storage, disk);
        SmartRead(*storage, disk, p::SMART_RCV_DRIVE_DATA, "smart-read-as-found", true);
        storage->CloseHandle(disk);
        return 0;
    }

    std::uint32_t returned = 0;
    std::vector<std::uint8_t> out(1039, 0);
    bool ok = storage->DeviceIoControl(disk, p::SMART_GET_VERSION, nullptr, 0, out.data(), 28, &returned);
    Print("smart-version", ok, *storage, returned, "device-map=" + std::to_string(out[3]));

    Identify(*storage, disk);

    auto in = SendCmdIn(0, 0xD8, 0x4F, 0xC2, 0xB0);
    ok = storage->DeviceIoControl(disk, p::SMART_SEND_DRIVE_COMMAND, in.data(), 32, out.data(), 527, &returned);
    Print("smart-enable", ok, *storage, returned);

    SmartRead(*storage, disk, p::SMART_RCV_DRIVE_DATA, "smart-read", false);
    SmartRead(*storage, disk, p::SMART_SEND_DRIVE_COMMAND, "smart-read-send", false);

    in = SendCmdIn(0, 0xD9, 0x4F, 0xC2, 0xB0);
    ok = storage->DeviceIoControl(disk, p::SMART_SEND_DRIVE_COMMAND, in.data(), 32, out.data(), 527, &returned);
    Print("smart-disable", ok, *storage, returned);

    // With SMART off the drive aborts READ DATA: the failure comes back
    // from the drive through the sense data.
    SmartRead(*storage, disk, p::SMART_RCV_DRIVE_DATA, "smart-read-disabled", false);

    // Refused before it reaches the drive: not a command the program sends.
    in = SendCmdIn(512, 0, 0, 0, 0xCA);
    ok = storage->DeviceIoControl(disk, p::SMART_SEND_DRIVE_COMMAND, in.data(), 32, out.data(), 1039, &returned);
    Print("write-dma", ok, *storage, returned);

    std::vector<std::uint8_t> srb(572, 0);
    p::StoreLe32(srb.data(), 28);
    std::memcpy(srb.data() + 4, "SCSIDISK", 8);
    p::StoreLe32(srb.data() + 12, 120);
    p::StoreLe32(srb.data() + 16, p::IOCTL_SCSI_MINIPORT_IDENTIFY);
    p::StoreLe32(srb.data() + 24, 544);
    in = SendCmdIn(512, 0, 0, 0, 0xEC);
    std::memcpy(srb.data() + 28, in.data(), 33);
    ok = storage->DeviceIoControl(disk, p::IOCTL_SCSI_MINIPORT, srb.data(), 572, srb.data(), 572, &returned);
    Print("miniport", ok, *storage, returned, IdentityDetails(srb.data() + 44));

    ok = storage->DeviceIoControl(disk, p::IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, out.data(), 512, &returned);
    Print("inquiry-data", ok, *storage, returned);
    storage->CloseHandle(disk);
    return 0;
}
