#include "smart/smart_report.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "info/device_details.h"
#include "platform/control_codes.h"
#include "platform/sim/sim_sectors.h"
#include "smart/smart_catalogue.h"
#include "support/chosen_disk.h"

namespace cendrix {
namespace {

using namespace testing;
namespace p = platform;

QString Blanks(int n) { return QString(n, QLatin1Char(' ')); }

const QString kTableHeading = QStringLiteral("          属性") + Blanks(29) + QStringLiteral("当前") + Blanks(6) +
                              QStringLiteral("最差") + Blanks(13) + QStringLiteral("原始") + Blanks(7) +
                              QStringLiteral("注释");
const QString kNotSupported = QStringLiteral("此设备不支持 SMART.");

sim::Disk SmartDisk(std::uint8_t bus, std::optional<sim::Sector> smart, bool smartEnabled = true) {
    sim::Disk d = MakeDisk(0, 976773168, 512, bus);
    d.product = "ST500DM002-1BD142";
    d.revision = "KC45";
    sim::IdentifyFields f;
    f.model = d.product;
    f.firmware = d.revision;
    f.sectors = 976773168;
    f.smartEnabled = smartEnabled;
    d.identify = sim::BuildIdentifySector(f);
    d.smart = smart;
    return d;
}

sim::Sector TwoAttributes() {
    return sim::BuildSmartSector({{5, 0x33, 100, 100, 0}, {194, 0x22, 35, 45, 0x2D00140023}});
}

QStringList Heading(ChosenDisk& disk) {
    return {Blanks(1), QStringLiteral("当前日期和时间:") + Blanks(15) + QStringLiteral("2024/12/17 09:05:03"),
            QStringLiteral("SMART 数据") + Blanks(7) + disk.state.DiskName, Blanks(1)};
}

// The SMART subcommands the disk received, in order: the features byte of
// each SMART request, with 'S' for the send request and 'R' for the receive.
std::vector<std::pair<char, std::uint8_t>> SmartCommands(ChosenDisk& disk) {
    std::vector<std::pair<char, std::uint8_t>> commands;
    for (const sim::Request& r : disk.Controls()) {
        if (r.code != p::SMART_SEND_DRIVE_COMMAND && r.code != p::SMART_RCV_DRIVE_DATA) continue;
        if (r.input.size() < 11 || r.input[10] != 0xB0) continue;
        commands.emplace_back(r.code == p::SMART_SEND_DRIVE_COMMAND ? 'S' : 'R', r.input[4]);
    }
    return commands;
}

using Commands = std::vector<std::pair<char, std::uint8_t>>;

TEST(SmartReport, WritesTheHeadingAndOneRowPerAttribute) {
    ChosenDisk disk(sim::Machine{{SmartDisk(11, TwoAttributes())}, {}});
    SmartReport(disk.state, disk.Storage(), disk.logs);
    const QString row5 = Blanks(1) + QStringLiteral("5") + Blanks(2) + Blanks(2) + QStringLiteral("05") + Blanks(2) +
                         QStringLiteral("Reallocated sectors count ") + Blanks(5) + Blanks(2) +
                         QStringLiteral("100") + Blanks(2) + Blanks(4) + QStringLiteral("100") + Blanks(2) +
                         Blanks(15) + QStringLiteral("0");
    const QString row194 = Blanks(1) + QStringLiteral("194") + Blanks(2) + QStringLiteral("C2") + Blanks(2) +
                           QStringLiteral("HDA Temperature           ") + Blanks(5) + Blanks(3) +
                           QStringLiteral("35") + Blanks(2) + Blanks(5) + QStringLiteral("45") + Blanks(2) +
                           Blanks(4) + QStringLiteral("193274839075") + QStringLiteral("  (35 度) ");
    EXPECT_EQ(row5.size(), 73);
    const QStringList table{kTableHeading, QString(88, QLatin1Char('-')), row5, row194, Blanks(1)};
    EXPECT_EQ(disk.Smart(), Heading(disk) + table);
    EXPECT_TRUE(disk.Details().isEmpty());
}

TEST(SmartReport, LinesUpItsColumnsAndShowsTheRawValueWhole) {
    ChosenDisk disk(sim::Machine{{SmartDisk(11, sim::BuildSmartSector({
                                     {190, 0x22, 65, 52, 0x2D0014002B},     // a temperature, but no note
                                     {171, 0x32, 255, 0, 0xFFFFFFFFFFFF},   // unnamed; capital hex digits
                                     {10, 0x32, 1, 253, 7},
                                     {255, 0x32, 0, 0, 1},
                                 }))},
                                 {}});
    SmartReport(disk.state, disk.Storage(), disk.logs);
    const QStringList rows = disk.Smart().mid(6, 4);
    ASSERT_EQ(rows.size(), 4);
    // A named row: the name from character 11, current up to 46, worst up to 55, raw up to 73.
    EXPECT_EQ(rows[0].size(), 73);
    EXPECT_EQ(rows[0].left(10), QStringLiteral(" 190  BE  "));
    EXPECT_EQ(rows[0].mid(10, 26), SmartAttributeName(190));
    EXPECT_EQ(rows[0].mid(41, 5), QStringLiteral("   65"));
    EXPECT_EQ(rows[0].mid(48, 7), QStringLiteral("     52"));
    EXPECT_EQ(rows[0].mid(57), QStringLiteral("    193274839083"));
    // The unknown name is 5 characters shorter, and so is the rest of its row.
    EXPECT_EQ(rows[1], QStringLiteral(" 171  AB  ") + SmartAttributeName(171) + Blanks(5) + QStringLiteral("  255") +
                           Blanks(2) + QStringLiteral("      0") + Blanks(2) + QStringLiteral(" 281474976710655"));
    EXPECT_EQ(rows[1].size(), 68);
    EXPECT_EQ(rows[2].left(10), QStringLiteral(" 10   0A  "));
    EXPECT_EQ(rows[2].right(32), Blanks(4) + QStringLiteral("1") + Blanks(2) + Blanks(4) + QStringLiteral("253") +
                                     Blanks(2) + Blanks(15) + QStringLiteral("7"));
    EXPECT_EQ(rows[3].left(10), QStringLiteral(" 255  FF  "));
}

TEST(SmartReport, ReadsAtMostThirtyEntries) {
    std::vector<sim::SmartAttribute> attributes;
    for (int k = 0; k < 30; ++k) attributes.push_back({static_cast<std::uint8_t>(k + 1), 0x32, 100, 90, 0});
    sim::Sector sector = sim::BuildSmartSector(attributes);
    // The bytes after the table look like a 31st entry: it must not be read.
    sector[362] = 194;
    sector[367] = 99;
    ChosenDisk disk(sim::Machine{{SmartDisk(11, sector)}, {}});
    SmartReport(disk.state, disk.Storage(), disk.logs);
    const QStringList lines = disk.Smart();
    ASSERT_EQ(lines.size(), 4 + 2 + 30 + 1);
    for (int k = 0; k < 30; ++k) {
        EXPECT_TRUE(lines[6 + k].startsWith(QStringLiteral(" %1").arg(k + 1).leftJustified(6))) << k;
    }
    EXPECT_EQ(lines.back(), Blanks(1));
}

TEST(SmartReport, EndsTheTableAtTheFirstEmptyIdentifier) {
    for (const bool leading : {true, false}) {
        SCOPED_TRACE(leading ? "empty from the start" : "after one entry");
        sim::Sector sector = sim::BuildSmartSector({{5, 0x33, 100, 100, 0}, {0, 0, 0, 0, 0}, {9, 0x32, 71, 71, 5}});
        if (leading) sector[2] = 0;
        ChosenDisk disk(sim::Machine{{SmartDisk(11, sector)}, {}});
        SmartReport(disk.state, disk.Storage(), disk.logs);
        const QStringList lines = disk.Smart();
        ASSERT_EQ(lines.size(), leading ? 7 : 8);
        EXPECT_EQ(lines.mid(4, 2), (QStringList{kTableHeading, QString(88, QLatin1Char('-'))}));
        EXPECT_EQ(lines.back(), Blanks(1));
    }
}

TEST(SmartReport, SwitchesSmartOnAndBackOffOnTheAtaBus) {
    struct Case {
        const char* name;
        bool enabledAtStart;    // what the drive's IDENTIFY data say
        bool detailsFirst;      // the details report has read them
        Commands commands;
        bool enabledAfter;
    };
    const Case cases[] = {
        {"SMART off at start: switched off again", false, true, {{'S', 0xD8}, {'R', 0xD0}, {'S', 0xD9}}, false},
        {"SMART on at start: left on", true, true, {{'S', 0xD8}, {'R', 0xD0}}, true},
        {"nothing known: switched off", true, false, {{'S', 0xD8}, {'R', 0xD0}, {'S', 0xD9}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ChosenDisk disk(sim::Machine{{SmartDisk(3, TwoAttributes(), c.enabledAtStart)}, {}});
        if (c.detailsFirst) WriteDeviceDetails(disk.state, disk.Storage(), disk.logs);
        disk.Storage().ClearRequests();
        SmartReport(disk.state, disk.Storage(), disk.logs);
        EXPECT_EQ(SmartCommands(disk), c.commands);
        EXPECT_EQ(disk.Storage().DiskSmartEnabled(0), c.enabledAfter);
        EXPECT_EQ(disk.Smart().size(), 4 + 2 + 2 + 1);
    }
}

TEST(SmartReport, SwitchesSmartOffEvenWhenSwitchingItOnFailed) {
    for (const bool enabledAtStart : {false, true}) {
        SCOPED_TRACE(enabledAtStart);
        ChosenDisk disk(sim::Machine{{SmartDisk(3, TwoAttributes(), enabledAtStart)}, {}});
        WriteDeviceDetails(disk.state, disk.Storage(), disk.logs);
        disk.Storage().ClearRequests();
        // The driver turns down ENABLE OPERATIONS only.
        InterceptingStorage storage(disk.Storage(), [](std::uint32_t code, const std::uint8_t* in, std::uint32_t size) {
            return code == p::SMART_SEND_DRIVE_COMMAND && size > 4 && in[4] == 0xD8;
        });
        SmartReport(disk.state, storage, disk.logs);
        EXPECT_EQ(storage.refused, 1);
        // The refused enable never reached the disk; the disable did, unless SMART was on.
        const Commands expected = enabledAtStart ? Commands{} : Commands{{'S', 0xD9}};
        EXPECT_EQ(SmartCommands(disk), expected);
        EXPECT_EQ(disk.Smart(), Heading(disk) + QStringList{kNotSupported});
    }
}

TEST(SmartReport, FailsWithOneLineWhenTheReadFails) {
    struct Case {
        const char* name;
        std::uint8_t bus;
        std::set<std::uint32_t> refuse;
        Commands commands;
    };
    const Case cases[] = {
        {"ATA disk without SMART data", 3, {}, {{'S', 0xD8}, {'R', 0xD0}, {'S', 0xD0}, {'S', 0xD9}}},
        {"ATA disk refusing every SMART command", 3, {p::SMART_SEND_DRIVE_COMMAND}, {{'S', 0xD8}, {'S', 0xD9}}},
        {"USB bridge passing nothing", 7, {p::SMART_RCV_DRIVE_DATA, p::SMART_SEND_DRIVE_COMMAND},
         {{'R', 0xD0}, {'S', 0xD0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Disk d = SmartDisk(c.bus, std::nullopt, false);
        d.refuse = c.refuse;
        ChosenDisk disk(sim::Machine{{d}, {}});
        SmartReport(disk.state, disk.Storage(), disk.logs);
        EXPECT_EQ(SmartCommands(disk), c.commands);
        EXPECT_EQ(disk.Smart(), Heading(disk) + QStringList{kNotSupported});
    }
}

TEST(SmartReport, OnlyReadsOnOtherBuses) {
    for (const std::uint8_t bus : {std::uint8_t{11}, std::uint8_t{7}, std::uint8_t{1}}) {
        SCOPED_TRACE(bus);
        ChosenDisk disk(sim::Machine{{SmartDisk(bus, TwoAttributes(), false)}, {}});
        SmartReport(disk.state, disk.Storage(), disk.logs);
        EXPECT_EQ(SmartCommands(disk), (Commands{{'R', 0xD0}}));
        EXPECT_FALSE(disk.Storage().DiskSmartEnabled(0));
        EXPECT_EQ(disk.Smart().size(), 9);
    }
}

TEST(SmartReport, AppendsEachReportBelowTheLast) {
    ChosenDisk disk(sim::Machine{{SmartDisk(11, TwoAttributes())}, {}});
    SmartReport(disk.state, disk.Storage(), disk.logs);
    const QStringList first = disk.Smart();
    disk.clock.Set(QDateTime(QDate(2024, 12, 17), QTime(9, 6, 0)));
    SmartReport(disk.state, disk.Storage(), disk.logs);
    const QStringList both = disk.Smart();
    ASSERT_EQ(both.size(), 2 * first.size());
    EXPECT_EQ(both.mid(0, first.size()), first);
    EXPECT_EQ(both[first.size() + 1], QStringLiteral("当前日期和时间:") + Blanks(15) + QStringLiteral("2024/12/17 09:06:00"));
    EXPECT_EQ(both.mid(first.size() + 2), first.mid(2));
}

TEST(SmartReport, DoesNothingWithoutAChosenDisk) {
    ChosenDisk disk(sim::Machine{{SmartDisk(3, TwoAttributes())}, {}});
    disk.state.SelectedDevice = -1;
    SmartReport(disk.state, disk.Storage(), disk.logs);
    EXPECT_TRUE(disk.view.panes.empty());
    EXPECT_TRUE(disk.Controls().empty());
}

// Any bytes from the disk make a report: rows of the two widths, at most 30
// of them, and the details report of the same bytes as IDENTIFY data.
TEST(Reports, WriteAnyBytesWithoutFault) {
    std::mt19937 random(512);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 150; ++round) {
        sim::Sector sector;
        if (round == 0) sector.fill(0xFF);
        else for (auto& b : sector) b = static_cast<std::uint8_t>(byte(random));
        if (round % 3 == 1) sector[2] = 194;  // a temperature first
        sim::Disk d = SmartDisk(round % 2 == 0 ? 3 : 11, sector);
        d.identify = sector;
        ChosenDisk disk(sim::Machine{{d}, {}});
        WriteDeviceDetails(disk.state, disk.Storage(), disk.logs);
        SmartReport(disk.state, disk.Storage(), disk.logs);

        const QStringList details = disk.Details();
        ASSERT_GE(details.size(), 4 + 25);
        ASSERT_LE(details.size(), 4 + 29);
        ASSERT_TRUE(details[4].startsWith(QStringLiteral("型号:")));

        const QStringList lines = disk.Smart();
        ASSERT_GE(lines.size(), 7);
        ASSERT_LE(lines.size(), 7 + 30);
        for (qsizetype i = 6; i + 1 < lines.size(); ++i) {
            const QString& row = lines[i];
            const int id = row.mid(1, 3).trimmed().toInt();
            ASSERT_GE(id, 1);
            ASSERT_EQ(row.mid(6, 2), QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper());
            const qsizetype width = SmartAttributeName(id).size() == kSmartNameWidth ? 73 : 68;
            if (id == 194) {
                ASSERT_TRUE(row.endsWith(QStringLiteral(" 度) ")));
                ASSERT_EQ(row.left(width).size(), width);
            } else {
                ASSERT_EQ(row.size(), width) << row.toStdString();
            }
        }
    }
}

}  // namespace
}  // namespace cendrix
