#include "support/sim_fixture.h"

#include <QFile>
#include <stdexcept>

#include "platform/sim/sim_machine.h"

namespace cendrix::testing {

sim::Disk MakeDisk(std::uint32_t number, std::int64_t sectors, std::uint32_t sectorSize,
                   std::uint8_t bus) {
    sim::Disk d;
    d.number = number;
    d.size = sectors * sectorSize;
    d.sectorSize = sectorSize;
    d.bus = bus;
    d.product = "TEST DISK " + std::to_string(number);
    d.revision = "1.0";
    d.serialRaw = sim::EncodeSerialAtaOrder("SN" + std::to_string(number));
    return d;
}

SimWorld::SimWorld(sim::Machine machine) {
    if (!dir_.isValid()) throw std::runtime_error("no temporary folder");
    for (sim::Disk& d : machine.disks) {
        if (d.imagePath.empty()) d.imagePath = ImagePath(d.number);
    }
    const std::string problem = sim::PrepareImages(machine);
    if (!problem.empty()) throw std::runtime_error(problem);
    storage_ = std::make_unique<sim::SimStorage>(std::move(machine));
}

std::string SimWorld::ImagePath(std::uint32_t number) const {
    return (dir_.path() + QStringLiteral("/disk%1.img").arg(number)).toStdString();
}

void SimWorld::FillImage(std::uint32_t disk, std::uint8_t pattern) {
    for (const sim::Disk& d : storage_->Description().disks) {
        if (d.number != disk) continue;
        QFile file(QString::fromStdString(d.imagePath));
        if (!file.open(QIODevice::ReadWrite)) throw std::runtime_error("cannot open image");
        const QByteArray chunk(1 << 20, static_cast<char>(pattern));
        for (std::int64_t at = 0; at < d.size; at += chunk.size()) {
            file.write(chunk.constData(), std::min<std::int64_t>(chunk.size(), d.size - at));
        }
    }
}

QByteArray SimWorld::ReadImage(std::uint32_t disk, std::int64_t offset, std::int64_t length) const {
    for (const sim::Disk& d : storage_->Description().disks) {
        if (d.number != disk) continue;
        QFile file(QString::fromStdString(d.imagePath));
        if (!file.open(QIODevice::ReadOnly)) return {};
        file.seek(offset);
        QByteArray bytes = file.read(length);
        // Past the end of a shorter file the disk reads as zeros.
        bytes.append(QByteArray(length - bytes.size(), '\0'));
        return bytes;
    }
    return {};
}

}  // namespace cendrix::testing
