// The built-in demo machine: a few simulated disks a user would recognise,
// backed by sparse images in `folder`.
#pragma once

#include <string>

#include "platform/sim/sim_machine.h"

namespace cendrix::platform::sim {

Machine DemoMachine(const std::string& folder);

}  // namespace cendrix::platform::sim
