#include "discovery/chooser_choice.h"

#include "discovery/chooser_rules.h"
#include "shell/app_state.h"

namespace cendrix {

ChooserChoice AcceptChooserRow(AppState& state, std::int64_t row) {
    const std::int64_t entry = row + 1;
    if (row < 0 || entry > state.DeviceCount || !TDeviceTables::ValidIndex(entry)) {
        return ChooserChoice::NoSelection;
    }
    if (!DiskLargeEnough(state.DeviceTables[entry])) return ChooserChoice::TooSmall;
    state.DeviceChosen = true;
    state.SelectedDevice = entry;
    return ChooserChoice::Accepted;
}

}  // namespace cendrix
