#include "platform/backend_choice.h"

#include <QDir>
#include <QStandardPaths>

#include "platform/real_storage.h"
#include "platform/sim/demo_machine.h"
#include "platform/sim/manifest.h"
#include "platform/sim/sim_storage.h"

namespace cendrix::platform {

QString DemoImageFolder() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (base.isEmpty()) base = QDir::tempPath();
    return base + QStringLiteral("/cendrix/demo");
}

BackendChoice ChooseBackend(const QString& machine) {
    BackendChoice choice;
    QString name = machine;
    if (name.isEmpty()) name = qEnvironmentVariable("CENDRIX_MACHINE");

    if (name.isEmpty()) {
        std::string error;
        choice.storage = MakeRealStorage(&error);
        choice.description = QStringLiteral("real disks");
        if (!choice.storage) choice.error = QString::fromStdString(error);
        return choice;
    }

    if (name == QLatin1String("demo")) {
        const QString folder = DemoImageFolder();
        if (!QDir().mkpath(folder)) {
            choice.error = QStringLiteral("demo: the image folder %1 cannot be created").arg(folder);
            return choice;
        }
        sim::Machine demo = sim::DemoMachine(folder.toStdString());
        std::string problem = sim::CheckImagesCreatable(demo);
        if (problem.empty()) problem = sim::PrepareImages(demo);
        if (!problem.empty()) {
            choice.error = QStringLiteral("demo: %1").arg(QString::fromStdString(problem));
            return choice;
        }
        auto storage = std::make_unique<sim::SimStorage>(std::move(demo));
        storage->SetRecording(false);  // a program reads no request record
        choice.storage = std::move(storage);
        choice.description = QStringLiteral("demo machine (%1)").arg(folder);
        return choice;
    }

    sim::ManifestResult manifest = sim::LoadManifest(name);
    if (!manifest.machine) {
        choice.error = manifest.error;
        return choice;
    }
    auto storage = std::make_unique<sim::SimStorage>(std::move(*manifest.machine));
    storage->SetRecording(false);
    choice.storage = std::move(storage);
    choice.description = QStringLiteral("simulated machine %1").arg(name);
    return choice;
}

}  // namespace cendrix::platform
