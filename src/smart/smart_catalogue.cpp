#include "smart/smart_catalogue.h"

#include <array>
#include <string_view>

namespace cendrix {

namespace {

struct NamedAttribute {
    int id;
    std::string_view name;
};

// Texts stand exactly as the report has always printed them ("conuter"
// included), so that reports stay comparable.
constexpr NamedAttribute kNamedAttributes[] = {
        {1, "Read error rate           "},
        {2, "Throughput performance    "},
        {3, "Spin up time              "},
        {4, "Number of spin-up times   "},
        {5, "Reallocated sectors count "},
        {6, "Read channel margin       "},
        {7, "Seek error rate           "},
        {8, "Seek performance          "},
        {9, "Power-on time             "},
        {10, "Spin-up retries           "},
        {11, "Calibration retries       "},
        {12, "Power Cycles              "},
        {13, "Soft read error rate      "},
        {99, "Average FHC (all heads)   "},
        {100, "Minimum FHC               "},
        {101, "Maximum FHC               "},
        {184, "End to End Error          "},
        {187, "Reported Uncorrectable    "},
        {188, "Command Time Out          "},
        {189, "High Fly Writes           "},
        {190, "Airflow Temperature       "},
        {192, "Power-off retract count   "},
        {193, "Load/unload cycle count   "},
        {194, "HDA Temperature           "},
        {195, "Hardware ECC recovered    "},
        {196, "Reallocate event count    "},
        {197, "Current pending sectors   "},
        {198, "Offline scan UNC sectors  "},
        {199, "Ultra ATA CRC Error Rate  "},
        {200, "Write error rate at preamp"},
        {201, "Off Track Read Errors     "},
        {202, "DAM Read Errors           "},
        {203, "ECC Read Errors           "},
        {204, "Soft ECC Corrections      "},
        {205, "Thermal Aspirates         "},
        {207, "High Current Spin-Up      "},
        {208, "Spin Buzz                 "},
        {209, "Off Line Seek Performance "},
        {210, "Vibration during Write    "},
        {211, "Vibration during Read     "},
        {212, "Shock during Write        "},
        {220, "Disk shift                "},
        {221, "G-Sensor shock conuter    "},
        {222, "Loaded hours              "},
        {223, "Load retry count          "},
        {224, "Load friction             "},
        {225, "Load cycle count          "},
        {226, "Load-in time              "},
        {227, "Torque amplification      "},
        {228, "Power-off retract count   "},
        {229, "Fly height measurement    "},
        {230, "GMR head amplitude        "},
        {232, "Available Reserved Space  "},
        {233, "Media Wearout Indicator   "},
};

// The table by identifier; empty entries have no name.
constexpr std::array<std::string_view, 256> kNames = [] {
    std::array<std::string_view, 256> names{};
    for (const NamedAttribute& a : kNamedAttributes) names[static_cast<std::size_t>(a.id)] = a.name;
    return names;
}();

}  // namespace

QString SmartAttributeName(int id) {
    if (id >= 1 && id <= 255) {
        const std::string_view name = kNames[static_cast<std::size_t>(id)];
        if (!name.empty()) return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
    }
    return QStringLiteral("未知                   ");
}

}  // namespace cendrix
