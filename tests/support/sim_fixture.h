// A simulated machine in a temporary folder, with the core's collaborators
// wired to it: the usual starting point of a core test.
#pragma once

#include <QByteArray>
#include <QTemporaryDir>
#include <memory>

#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_storage.h"
#include "shell/app_state.h"
#include "shell/logs.h"
#include "support/recording_view.h"

namespace cendrix::testing {

namespace sim = platform::sim;

// A disk of `sectors` sectors of `sectorSize` bytes on `bus`, with typical
// identity texts; its image is created by SimWorld.
sim::Disk MakeDisk(std::uint32_t number, std::int64_t sectors = 200000,
                   std::uint32_t sectorSize = 512, std::uint8_t bus = 11);

class SimWorld {
public:
    explicit SimWorld(sim::Machine machine);

    // The folder that holds the images.
    QString Folder() const { return dir_.path(); }
    // The image path for disk `number` in this world's folder.
    std::string ImagePath(std::uint32_t number) const;

    // Fills the whole image of `disk` with `pattern` (so a test can see
    // exactly which bytes a wipe turned into zeros).
    void FillImage(std::uint32_t disk, std::uint8_t pattern);
    QByteArray ReadImage(std::uint32_t disk, std::int64_t offset, std::int64_t length) const;

    sim::SimStorage& Storage() { return *storage_; }

private:
    // The images and the machine outlive the state, whose open device
    // handle closes through the machine.
    QTemporaryDir dir_;
    std::unique_ptr<sim::SimStorage> storage_;

public:
    AppState state;
    RecordingLogView view;
    FakeClock clock;
    Logs logs{view, clock, state, TestLocale()};
};

}  // namespace cendrix::testing
