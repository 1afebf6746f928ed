// Runs the cendrix-cli built beside the tests and collects its output.
#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace cendrix::testing {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

CliRun RunCli(const QStringList& args, const QByteArray& stdinText = {},
              const QProcessEnvironment& extra = {});

}  // namespace cendrix::testing
