#include "support/chosen_disk.h"

#include <stdexcept>

#include "discovery/enumeration.h"
#include "shell/open_device.h"
#include "shell/text_format.h"

namespace cendrix::testing {

ChosenDisk::ChosenDisk(sim::Machine machine, std::uint32_t number) : SimWorld(std::move(machine)) {
    if (EnumerateDevices(state, Storage(), logs).Fatal()) throw std::runtime_error("enumeration failed");
    for (std::int64_t i = 1; i <= state.DeviceCount; ++i) {
        if (state.DeviceTables[i].DeviceNumber == number) state.SelectedDevice = i;
    }
    if (state.SelectedDevice < 1) throw std::runtime_error("the disk was not enumerated");
    state.DeviceChosen = true;
    state.DiskName = DeviceCaption(state.DeviceTables, state.SelectedDevice, logs.Locale());
    if (!OpenSelectedDevice(state, Storage()).ok) throw std::runtime_error("the disk did not open");
    Storage().ClearRequests();
    view.panes.clear();
}

bool InterceptingStorage::DeviceIoControl(platform::Handle handle, std::uint32_t code, const void* in,
                                          std::uint32_t inSize, void* out, std::uint32_t outSize,
                                          std::uint32_t* bytesReturned) {
    refusedLast_ = refuse_(code, static_cast<const std::uint8_t*>(in), inSize);
    if (refusedLast_) {
        ++refused;
        if (bytesReturned != nullptr) *bytesReturned = 0;
        return false;
    }
    return inner_.DeviceIoControl(handle, code, in, inSize, out, outSize, bytesReturned);
}

}  // namespace cendrix::testing
