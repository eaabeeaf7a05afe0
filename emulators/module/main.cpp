// module-emulator: a network module on a pseudo-terminal or on loopback TCP,
// for trying and testing the module updater. It prints where to reach it as
// its first line, serves one connection, writes its files and exits 0.
#include <cstdio>

#include "emulator_options.h"
#include "emulator_session.h"
#include "pty_transport.h"
#include "stop_signal.h"
#include "tcp_transport.h"

using namespace module_emulator;

namespace {

int fail(const std::string& why) {
    std::fprintf(stderr, "module-emulator: %s\n", why.c_str());
    return 1;
}

void announce(const std::string& where) {
    std::printf("%s\n", where.c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed = parseOptions(argc, argv);
    if (!parsed.options) {
        std::fprintf(stderr, "module-emulator: %s\n%s", parsed.error.c_str(), usageText().c_str());
        return 2;
    }
    const EmulatorOptions& options = *parsed.options;

    const int stopFd = installStopSignal();
    if (stopFd < 0) return fail("cannot set up the stop signal");
    EmulatorSession session(options);
    if (!session.openCommandLog()) return fail("cannot open the command log " + options.commandLog);

    std::string error;
    if (options.transport == Transport::Tcp) {
        const auto listener = TcpListener::open(options.listenAddress, options.port, error);
        if (!listener) return fail(error);
        announce(std::to_string(listener->port()));
        const FileDescriptor connection = listener->acceptOne(stopFd, error);
        if (connection.valid())
            session.serve(connection.get(), true, stopFd);
        else if (!error.empty())
            std::fprintf(stderr, "module-emulator: %s\n", error.c_str());
    } else {
        const auto pty = openPtyPort(error);
        if (!pty) return fail(error);
        announce(pty->portName);
        session.serve(pty->master.get(), false, stopFd);
    }
    session.saveFirmware();
    return 0;
}
