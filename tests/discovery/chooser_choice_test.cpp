#include "discovery/chooser_choice.h"

#include <gtest/gtest.h>

#include "discovery/enumeration.h"
#include "support/sim_fixture.h"

namespace cendrix {
namespace {

using namespace testing;

TEST(AcceptChooserRow, RefusesDisksBelow65535SectorsAndAcceptsTheRest) {
    SimWorld world(sim::Machine{{MakeDisk(0, 65534), MakeDisk(1, 65535), MakeDisk(4, 70000)}, {}});
    EnumerateDevices(world.state, world.Storage(), world.logs);
    ASSERT_EQ(world.state.DeviceCount, 3);
    AppState& state = world.state;

    const struct {
        std::int64_t row;
        ChooserChoice choice;
    } refused[] = {{-1, ChooserChoice::NoSelection}, {3, ChooserChoice::NoSelection},
                   {15, ChooserChoice::NoSelection}, {0, ChooserChoice::TooSmall}};
    for (const auto& c : refused) {
        EXPECT_EQ(AcceptChooserRow(state, c.row), c.choice) << c.row;
        EXPECT_FALSE(state.DeviceChosen) << c.row;
        EXPECT_EQ(state.SelectedDevice, -1) << c.row;
    }
    EXPECT_EQ(AcceptChooserRow(state, 1), ChooserChoice::Accepted);
    EXPECT_TRUE(state.DeviceChosen);
    EXPECT_EQ(state.SelectedDevice, 2);
    EXPECT_EQ(state.Selected().DeviceNumber, 1u);
}

}  // namespace
}  // namespace cendrix
