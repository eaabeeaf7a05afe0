// moduleflash: one firmware update of a network module per start, configured
// by the command line alone. Every outcome is told by result lines on the
// debug log; the exit status is always 0.
#include "command_line.h"
#include "device_connection.h"
#include "event_dispatcher.h"
#include "result_log.h"
#include "result_log_setup.h"
#include "update_sequence.h"
#include "usage_block.h"

#include <QCoreApplication>

namespace {

constexpr int serialChunkSize = 1024;
constexpr int tcpChunkSize = 2048;

using DeviceOpener = bool (*)(int, const char* const*, ModuleSession&);

// The session lives only for the transport's run and is gone before the
// application object.
void updateOver(DeviceOpener openDevice, int chunkSize, int argc, const char* const* argv) {
    ModuleSession session;
    if (openDevice(argc, argv, session)) runUpdate(session, argc, argv, chunkSize);
}

}  // namespace

int main(int argc, char* argv[]) {
    // Before Qt reads its logging settings from the environment.
    protectResultLog();
    // Before the application object, which takes the dispatcher over.
    chooseEventDispatcher();
    // Created first, destroyed last; its event loop never runs, all waits block.
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(MODULEFLASH_VERSION));

    if (argc < 2)
        // Nothing after the program name: show how to call it.
        writeUsage();
    else if (hasArgument(argc, argv, QStringLiteral("ConnectionType=ComPort")))
        // Serial wins when both connection words are given.
        updateOver(openSerialDevice, serialChunkSize, argc, argv);
    else if (hasArgument(argc, argv, QStringLiteral("ConnectionType=Tcp")))
        // TCP, with the larger chunks.
        updateOver(openTcpDevice, tcpChunkSize, argc, argv);
    else
        // Neither connection word: nothing is opened.
        logResult(ResultStep::connection, -1, QStringLiteral("Unable to get connection type!!!"));
    return 0;
}
