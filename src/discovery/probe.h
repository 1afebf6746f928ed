// The device probe: everything the program learns about one disk before the
// user chooses it, through storage requests on a handle opened for reading.
#pragma once

#include <QString>
#include <cstdint>

#include "discovery/device_table.h"
#include "platform/storage_api.h"

namespace cendrix {

class Logs;

struct ProbeResult {
    std::int64_t code = -1;  // 0 on success, -1 on failure
    // Set when the device query failed with an error code: the program must
    // show this text (caption "错误") and end.
    QString fatalError;

    bool Fatal() const { return !fatalError.isEmpty(); }
};

// On success `record` is overwritten in whole; on failure it is left exactly
// as it was. All lines go to the debug log.
ProbeResult ProbeDevice(platform::StorageApi& storage, Logs& logs, platform::Handle handle,
                        TIdentifyDeviceData& record);

// Whether the disk is the slave device on its ATA channel.
bool DetectIDESlave(platform::StorageApi& storage, platform::Handle handle);

// The repair of a 40-character serial that a driver handed over as
// hexadecimal digits; other serials come back unchanged. Writes its progress
// lines to the debug log.
QString RepairHexSerial(const QString& serial, Logs& logs);

}  // namespace cendrix
