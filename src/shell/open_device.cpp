#include "shell/open_device.h"

#include "shell/app_state.h"

namespace cendrix {

OpenDeviceResult OpenSelectedDevice(AppState& state, platform::StorageApi& storage) {
    OpenDeviceResult result;
    const QString path = state.Selected().DevicePath;
    const platform::Handle handle =
        storage.CreateFileW(path.toStdU16String(), platform::GENERIC_READ | platform::GENERIC_WRITE, 0,
                            platform::OPEN_EXISTING, 0);
    const std::uint32_t error = storage.GetLastError();
    state.DeviceHandle = platform::UniqueHandle(storage, handle);
    // A handle that came back with an error code set is refused as well.
    if (handle == platform::INVALID_HANDLE_VALUE || error != 0) {
        state.DeviceHandle.Reset();
        result.errorText = kOpenErrorPrefix + QString::fromStdU16String(storage.FormatMessageW(error));
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace cendrix
