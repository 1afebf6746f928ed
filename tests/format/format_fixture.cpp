#include "format_fixture.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "discovery/enumeration.h"
#include "shell/open_device.h"
#include "shell/text_format.h"

namespace cendrix::testing {

FormatWorld::FormatWorld(sim::Machine machine, std::uint32_t number) : world(std::move(machine)) {
    AppState& state = world.state;
    if (EnumerateDevices(state, world.Storage(), world.logs).Fatal()) {
        throw std::runtime_error("enumeration failed");
    }
    for (std::int64_t i = 1; i <= state.DeviceCount; ++i) {
        if (state.DeviceTables[i].DeviceNumber == number) state.SelectedDevice = i;
    }
    if (state.SelectedDevice < 1) throw std::runtime_error("no such disk");
    state.DeviceChosen = true;
    state.DiskName = DeviceCaption(state.DeviceTables, state.SelectedDevice, world.logs.Locale());
    if (!OpenSelectedDevice(state, world.Storage()).ok) throw std::runtime_error("open failed");
    world.view.panes.clear();
    world.Storage().ClearRequests();
}

QStringList FormatWorld::FormatTexts() const {
    QStringList texts;
    for (const QString& line : FormatLines()) {
        texts << (line.startsWith(kStamp) ? line.mid(kStamp.size()) : line);
    }
    return texts;
}

std::vector<std::pair<std::int64_t, std::int64_t>> FormatWorld::Writes() {
    std::vector<std::pair<std::int64_t, std::int64_t>> writes;
    for (const sim::Request& r : Storage().RequestsOf(sim::Request::Kind::Write)) {
        if (r.ok) writes.emplace_back(r.offset, r.length);
    }
    return writes;
}

::testing::AssertionResult FormatWorld::ImageIs(
    std::uint32_t number, std::uint8_t pattern,
    const std::vector<std::pair<std::int64_t, std::int64_t>>& zeroed) {
    std::int64_t size = -1;
    for (const sim::Disk& d : Storage().Description().disks) {
        if (d.number == number) size = d.size;
    }
    if (size < 0) return ::testing::AssertionFailure() << "no disk " << number;
    const QByteArray bytes = world.ReadImage(number, 0, size);
    const char* image = bytes.constData();
    std::int64_t at = 0;
    std::size_t range = 0;
    while (at < size) {
        const bool inZero = range < zeroed.size() && at >= zeroed[range].first;
        const std::int64_t end = inZero ? zeroed[range].first + zeroed[range].second
                                        : (range < zeroed.size() ? zeroed[range].first : size);
        const char expected = inZero ? '\0' : static_cast<char>(pattern);
        for (std::int64_t i = at; i < end; ++i) {
            if (image[i] != expected) {
                return ::testing::AssertionFailure()
                       << "byte " << i << " is " << int(static_cast<std::uint8_t>(image[i])) << ", expected "
                       << int(static_cast<std::uint8_t>(expected));
            }
        }
        if (inZero) ++range;
        at = end;
    }
    return ::testing::AssertionSuccess();
}

}  // namespace cendrix::testing
