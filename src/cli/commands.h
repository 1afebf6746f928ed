// The commands of cendrix-cli. Each takes the session and the arguments
// that follow its name, and returns the exit status.
#pragma once

#include <QStringList>

#include "cli/cli_session.h"

namespace cendrix::cli {

int RunList(Session& session, const QStringList& args);
// The device details report of disk DISK.
int RunInfo(Session& session, const QStringList& args);
// One S.M.A.R.T. report of disk DISK.
int RunSmart(Session& session, const QStringList& args);
int RunFormatCommand(Session& session, const QStringList& args);

}  // namespace cendrix::cli
