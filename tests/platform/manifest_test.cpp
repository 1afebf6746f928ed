#include "platform/sim/manifest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/control_codes.h"

namespace cendrix::platform::sim {
namespace {

struct ManifestTest : ::testing::Test {
    QTemporaryDir dir;

    QString Write(const QByteArray& json, const QString& name = QStringLiteral("machine.json")) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
        return path;
    }
    QStringList Files() const { return QDir(dir.path()).entryList(QDir::Files); }
};

TEST_F(ManifestTest, ReadsEveryKeyOfDisksAndVolumes) {
    const QString path = Write(R"({
      "disks": [{
        "number": 4, "image": "a.img", "size": 1048576, "sectorSize": 4096, "bus": 11,
        "maxTransfer": 65536, "vendor": "V", "product": "P", "revision": "R",
        "serial": "ABC", "removable": true, "slave": true, "openFails": false, "inUse": true,
        "geometryError": 0, "lengthError": 21, "deviceQueryError": 5,
        "refuse": ["SMART_GET_VERSION"], "answerBytes": {"SMART_RCV_DRIVE_DATA": 512},
        "writeErrors": [{"offset": 4096, "length": 8192, "code": 19}],
        "removeAfterBytes": 65536, "punchZeros": true, "writeDelayMs": 25
      }, {"number": 5, "size": 0, "serialRaw": "\u0000x\u00ff"}],
      "volumes": [{"name": "C:", "deviceType": 2, "deviceNumber": 4, "partition": 3,
                   "openFails": true, "lock": "refuse", "dismount": "accept"}]
    })");
    const ManifestResult result = LoadManifest(path);
    ASSERT_TRUE(result.machine) << result.error.toStdString();
    const Machine& m = *result.machine;
    ASSERT_EQ(m.disks.size(), 2u);
    const Disk& d = m.disks[0];
    EXPECT_EQ(d.number, 4u);
    EXPECT_EQ(d.imagePath, dir.filePath("a.img").toStdString());
    EXPECT_EQ(d.size, 1048576);
    EXPECT_EQ(d.sectorSize, 4096u);
    EXPECT_EQ(d.bus, std::optional<std::uint8_t>(11));
    EXPECT_EQ(d.maxTransfer, 65536u);
    EXPECT_EQ(d.vendor, "V");
    EXPECT_EQ(d.serialRaw, "BA C");  // the serial as the storage layer hands it over
    EXPECT_TRUE(d.removable && d.slave && d.inUse && d.punchZeros);
    EXPECT_EQ(d.geometryError, std::optional<std::uint32_t>(0));
    EXPECT_EQ(d.lengthError, std::optional<std::uint32_t>(21));
    EXPECT_EQ(d.deviceQueryError, std::optional<std::uint32_t>(5));
    EXPECT_EQ(d.refuse, std::set<std::uint32_t>{SMART_GET_VERSION});
    EXPECT_EQ(d.answerBytes.at(SMART_RCV_DRIVE_DATA), 512u);
    ASSERT_EQ(d.writeErrors.size(), 1u);
    EXPECT_EQ(d.writeErrors[0].offset, 4096);
    EXPECT_EQ(d.writeErrors[0].length, 8192);
    EXPECT_EQ(d.writeErrors[0].code, 19u);
    EXPECT_EQ(d.removeAfterBytes, std::optional<std::int64_t>(65536));
    EXPECT_EQ(d.writeDelayMs, 25u);
    EXPECT_EQ(m.disks[1].imagePath, dir.filePath("disk5.img").toStdString());
    EXPECT_FALSE(m.disks[1].bus.has_value());
    EXPECT_EQ(m.disks[1].serialRaw, std::string("\0x\xff", 3));
    ASSERT_EQ(m.volumes.size(), 1u);
    EXPECT_EQ(m.volumes[0].name, "C:");
    EXPECT_EQ(m.volumes[0].deviceType, 2u);
    EXPECT_EQ(m.volumes[0].partition, 3u);
    EXPECT_EQ(m.volumes[0].lock, VolumeAnswer::Refuse);
    EXPECT_EQ(m.volumes[0].dismount, VolumeAnswer::Accept);
    // Missing images are created sparse, at the disk's size.
    EXPECT_EQ(QFileInfo(dir.filePath("a.img")).size(), 1048576);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("disk5.img")));
}

TEST_F(ManifestTest, KeepsAnExistingImageAsItIs) {
    QFile image(dir.filePath("old.img"));
    ASSERT_TRUE(image.open(QIODevice::WriteOnly));
    image.write(QByteArray(1024, 'x'));
    image.close();
    const ManifestResult result =
        LoadManifest(Write(R"({"disks": [{"number": 0, "image": "old.img", "size": 1024}]})"));
    ASSERT_TRUE(result.machine) << result.error.toStdString();
    QFile check(dir.filePath("old.img"));
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray(1024, 'x'));
}

TEST_F(ManifestTest, RefusesUnusableManifestsNamingFileAndProblemAndCreatingNothing) {
    struct Case {
        const char* json;
        const char* problem;
    };
    const Case cases[] = {
        {"{\"disks\": [", "not valid JSON"},
        {"[]", "must be a JSON object"},
        {R"({"disks": {}})", "disks: must be an array"},
        {R"({"disks": [{"number": 0, "size": 512}, {"number": "1", "size": 512}]})",
         "disks[1].number: must be a whole number"},
        {R"({"disks": [{"number": 0, "size": -512}]})", "disks[0].size: must not be negative"},
        {R"({"disks": [{"number": 0, "size": 1000}]})",
         "disks[0].size: 1000 is not a multiple of the sector size 512"},
        {R"({"disks": [{"number": 0, "size": 8192, "sectorSize": 4096, "removable": 1}]})",
         "disks[0].removable: must be true or false"},
        {R"({"disks": [{"number": 0, "size": 512, "image": "no/such/folder/x.img"}]})",
         "cannot be created: folder"},
        {R"({"disks": [{"number": 0, "size": 512}, {"number": 0, "size": 512, "image": "b.img"}]})",
         "disk 0 is listed twice"},
        {R"({"disks": [{"number": 0, "size": 512, "colour": "red"}]})", "disks[0].colour: unknown key"},
        {R"({"disks": [{"number": 0, "size": 512, "refuse": ["SMART_GET_VERSIO"]}]})",
         "disks[0].refuse[0]: must name a control code"},
        {R"({"disks": [{"number": 256, "size": 512}]})", "disks[0].number: must lie between 0 and 255"},
        {R"({"disks": [{"size": 512}]})", "disks[0].number: is missing"},
        {R"({"disks": [{"number": 0, "size": 512, "writeErrors": [{"offset": 0}]}]})",
         "disks[0].writeErrors[0].code: is missing"},
        {R"({"volumes": [{"name": "C:", "lock": "maybe"}]})", "volumes[0].lock: must be \"refuse\""},
        {R"({"volumes": [{"deviceNumber": 0}]})", "volumes[0].name: is missing"},
    };
    for (const Case& c : cases) {
        const QString path = Write(c.json);
        const ManifestResult result = LoadManifest(path);
        EXPECT_FALSE(result.machine) << c.json;
        EXPECT_TRUE(result.error.startsWith(path + QStringLiteral(": "))) << result.error.toStdString();
        EXPECT_TRUE(result.error.contains(QString::fromUtf8(c.problem))) << result.error.toStdString();
        EXPECT_EQ(Files(), QStringList{QStringLiteral("machine.json")}) << c.json;
    }
}

TEST_F(ManifestTest, RefusesAMissingFile) {
    const QString path = dir.filePath("absent.json");
    const ManifestResult result = LoadManifest(path);
    EXPECT_FALSE(result.machine);
    EXPECT_TRUE(result.error.startsWith(path + QStringLiteral(": cannot be read")));
}

TEST_F(ManifestTest, AFailingImageCreationRemovesTheImagesCreatedBeforeIt) {
    // The second image's folder is a file, so only the first could be made.
    QFile blocker(dir.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString path = Write(R"({"disks": [{"number": 0, "size": 512},
                                            {"number": 1, "size": 512, "image": "blocker/x.img"}]})");
    const ManifestResult result = LoadManifest(path);
    EXPECT_FALSE(result.machine);
    EXPECT_EQ(Files(), (QStringList{QStringLiteral("blocker"), QStringLiteral("machine.json")}));
}

}  // namespace
}  // namespace cendrix::platform::sim
