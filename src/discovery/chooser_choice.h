// What the chooser's Continue does with the selected row.
#pragma once

#include <cstdint>

namespace cendrix {

struct AppState;

enum class ChooserChoice {
    NoSelection,  // no row selected: nothing is chosen, the chooser stays open
    TooSmall,     // below 65535 sectors: refused, the chooser stays open
    Accepted,     // DeviceChosen and SelectedDevice are set
};

// Row r (counted from 0, -1 for none) stands for table entry r+1.
ChooserChoice AcceptChooserRow(AppState& state, std::int64_t row);

}  // namespace cendrix
