// Reads a simulated machine from its JSON manifest (docs/machine-manifest.md).
#pragma once

#include <QString>
#include <optional>

#include "platform/sim/sim_machine.h"

namespace cendrix::platform::sim {

struct ManifestResult {
    std::optional<Machine> machine;
    QString error;  // names the file and the problem when machine is empty
};

// Parses and checks the manifest, then creates the missing images. A
// manifest that cannot be used creates and writes nothing.
ManifestResult LoadManifest(const QString& path);

// Parses and checks only; image paths are resolved against `folder`.
ManifestResult ParseManifest(const QByteArray& json, const QString& folder,
                             const QString& nameForMessages);

}  // namespace cendrix::platform::sim
