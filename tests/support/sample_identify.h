// The IDENTIFY DEVICE fields of a typical 500 GB SATA disk, for tests that
// need a real-shaped sector: 976,773,168 sectors (more than 28-bit commands
// reach), a 16 MiB buffer, a queue of 32 commands.
#pragma once

#include "platform/sim/sim_sectors.h"

namespace cendrix::testing {

inline platform::sim::IdentifyFields Identify500GB() {
    platform::sim::IdentifyFields f;
    f.model = "WDC WD5000AAKX-00ERMA0";
    f.serial = "WD-WCC2EU123456";
    f.firmware = "15.01H15";
    f.sectors = 976773168;
    f.bufferBytes = 16 * 1024 * 1024;
    f.queueDepth = 31;
    return f;
}

}  // namespace cendrix::testing
