#include "cli/cli_session.h"

#include <cstdio>

#include "discovery/chooser_rules.h"
#include "discovery/enumeration.h"
#include "shell/open_device.h"
#include "shell/text_format.h"

namespace cendrix::cli {

namespace {

void Write(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

}  // namespace

void PrintError(const QString& text) { Write(stderr, text); }
void PrintLine(const QString& text) { Write(stdout, text); }

void TerminalView::AppendLine(Pane pane, const QString& line) {
    if (beforeLine_) beforeLine_();
    switch (pane) {
        case Pane::Details:
        case Pane::Smart:
            PrintLine(line);
            break;
        case Pane::Debug:
            PrintError(line);
            break;
        case Pane::Format:
            if (formatToStdout_) PrintLine(line);
            else PrintError(line);
            break;
    }
}

bool Enumerate(Session& session) {
    const EnumerationResult result = EnumerateDevices(session.state, *session.storage, session.logs);
    if (result.Fatal()) {
        PrintError(QStringLiteral("错误: ") + result.fatalError);
        return false;
    }
    return true;
}

int SelectAndOpenDisk(Session& session, const QString& diskArgument) {
    bool isNumber = false;
    const uint number = diskArgument.toUInt(&isNumber);
    if (!isNumber || number > 255) {
        PrintError(QStringLiteral("cendrix-cli: DISK must be a disk number from 0 to 255, not \"%1\"")
                       .arg(diskArgument));
        return kExitUsage;
    }
    if (!Enumerate(session)) return kExitFatal;
    AppState& state = session.state;
    for (std::int64_t i = 1; i <= state.DeviceCount; ++i) {
        if (state.DeviceTables[i].DeviceNumber == number) state.SelectedDevice = i;
    }
    if (state.SelectedDevice < 1) {
        PrintError(QStringLiteral("cendrix-cli: there is no disk %1; \"cendrix-cli list\" shows the disks found")
                       .arg(number));
        return kExitUsage;
    }
    if (!DiskLargeEnough(state.Selected())) {
        PrintError(kSmallDiskCaption + QStringLiteral(": ") + kSmallDiskText);
        state.SelectedDevice = -1;
        return kExitTooSmall;
    }
    state.DeviceChosen = true;
    state.DiskName = DeviceCaption(state.DeviceTables, state.SelectedDevice, session.logs.Locale());
    const OpenDeviceResult open = OpenSelectedDevice(state, *session.storage);
    if (!open.ok) {
        PrintError(QStringLiteral("错误: ") + open.errorText);
        return kExitOpenFailed;
    }
    return kExitOk;
}

}  // namespace cendrix::cli
