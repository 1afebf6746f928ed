#include "smart/smart_catalogue.h"

#include <gtest/gtest.h>

#include <map>

namespace cendrix {
namespace {

// The named attributes as the report prints them.
const std::map<int, QString>& Named() {
    static const std::map<int, QString> names{
        {1, QStringLiteral("Read error rate           ")},
        {2, QStringLiteral("Throughput performance    ")},
        {3, QStringLiteral("Spin up time              ")},
        {4, QStringLiteral("Number of spin-up times   ")},
        {5, QStringLiteral("Reallocated sectors count ")},
        {6, QStringLiteral("Read channel margin       ")},
        {7, QStringLiteral("Seek error rate           ")},
        {8, QStringLiteral("Seek performance          ")},
        {9, QStringLiteral("Power-on time             ")},
        {10, QStringLiteral("Spin-up retries           ")},
        {11, QStringLiteral("Calibration retries       ")},
        {12, QStringLiteral("Power Cycles              ")},
        {13, QStringLiteral("Soft read error rate      ")},
        {99, QStringLiteral("Average FHC (all heads)   ")},
        {100, QStringLiteral("Minimum FHC               ")},
        {101, QStringLiteral("Maximum FHC               ")},
        {184, QStringLiteral("End to End Error          ")},
        {187, QStringLiteral("Reported Uncorrectable    ")},
        {188, QStringLiteral("Command Time Out          ")},
        {189, QStringLiteral("High Fly Writes           ")},
        {190, QStringLiteral("Airflow Temperature       ")},
        {192, QStringLiteral("Power-off retract count   ")},
        {193, QStringLiteral("Load/unload cycle count   ")},
        {194, QStringLiteral("HDA Temperature           ")},
        {195, QStringLiteral("Hardware ECC recovered    ")},
        {196, QStringLiteral("Reallocate event count    ")},
        {197, QStringLiteral("Current pending sectors   ")},
        {198, QStringLiteral("Offline scan UNC sectors  ")},
        {199, QStringLiteral("Ultra ATA CRC Error Rate  ")},
        {200, QStringLiteral("Write error rate at preamp")},
        {201, QStringLiteral("Off Track Read Errors     ")},
        {202, QStringLiteral("DAM Read Errors           ")},
        {203, QStringLiteral("ECC Read Errors           ")},
        {204, QStringLiteral("Soft ECC Corrections      ")},
        {205, QStringLiteral("Thermal Aspirates         ")},
        {207, QStringLiteral("High Current Spin-Up      ")},
        {208, QStringLiteral("Spin Buzz                 ")},
        {209, QStringLiteral("Off Line Seek Performance ")},
        {210, QStringLiteral("Vibration during Write    ")},
        {211, QStringLiteral("Vibration during Read     ")},
        {212, QStringLiteral("Shock during Write        ")},
        {220, QStringLiteral("Disk shift                ")},
        {221, QStringLiteral("G-Sensor shock conuter    ")},
        {222, QStringLiteral("Loaded hours              ")},
        {223, QStringLiteral("Load retry count          ")},
        {224, QStringLiteral("Load friction             ")},
        {225, QStringLiteral("Load cycle count          ")},
        {226, QStringLiteral("Load-in time              ")},
        {227, QStringLiteral("Torque amplification      ")},
        {228, QStringLiteral("Power-off retract count   ")},
        {229, QStringLiteral("Fly height measurement    ")},
        {230, QStringLiteral("GMR head amplitude        ")},
        {232, QStringLiteral("Available Reserved Space  ")},
        {233, QStringLiteral("Media Wearout Indicator   ")},
    };
    return names;
}

const QString kUnknown = QStringLiteral("未知") + QString(19, QLatin1Char(' '));

TEST(SmartAttributeName, NamesExactlyTheListedAttributes) {
    ASSERT_EQ(Named().size(), 54u);
    for (int id = 1; id <= 255; ++id) {
        SCOPED_TRACE(id);
        const auto named = Named().find(id);
        EXPECT_EQ(SmartAttributeName(id), named == Named().end() ? kUnknown : named->second);
    }
}

TEST(SmartAttributeName, FillsEveryNameToTheColumnWidth) {
    for (const auto& [id, name] : Named()) EXPECT_EQ(SmartAttributeName(id).size(), kSmartNameWidth) << id;
    EXPECT_EQ(SmartAttributeName(1), QStringLiteral("Read error rate           "));
    EXPECT_EQ(SmartAttributeName(200), QStringLiteral("Write error rate at preamp"));  // no blank left
    EXPECT_EQ(SmartAttributeName(221), QStringLiteral("G-Sensor shock conuter    "));
    EXPECT_EQ(SmartAttributeName(192), SmartAttributeName(228));
}

TEST(SmartAttributeName, GivesTheShorterUnknownTextForUnnamedIdentifiers) {
    EXPECT_EQ(kUnknown.size(), 21);
    for (const int id : {14, 98, 102, 183, 191, 206, 213, 219, 231, 234, 255}) {
        EXPECT_EQ(SmartAttributeName(id), kUnknown) << id;
    }
    // Outside the identifiers' range there is no entry to read.
    for (const int id : {0, -1, 256, 1000}) EXPECT_EQ(SmartAttributeName(id), kUnknown) << id;
}

}  // namespace
}  // namespace cendrix
