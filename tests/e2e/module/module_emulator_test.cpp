// The emulator's own ends, which the other tests rely on: it drops a
// connection that does not open with the signature, it ends on SIGTERM with
// its files written, and it refuses bad options with its usage.
#include "module_rig.h"

#include "file_io.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace module_e2e {
namespace {

using test_support::ChildProcess;
using test_support::Deadline;

// True when the peer closes the connection before the deadline.
bool peerCloses(int fd, const Deadline& deadline) {
    char buffer[256];
    while (!deadline.expired()) {
        pollfd wait{fd, POLLIN, 0};
        if (poll(&wait, 1, deadline.pollTimeout()) <= 0) continue;
        const ssize_t received = recv(fd, buffer, sizeof buffer, 0);
        if (received == 0 || (received < 0 && errno == ECONNRESET)) return true;
    }
    return false;
}

TEST(ModuleEmulator, DropsAConnectionWithoutTheSignature) {
    ModuleRig rig;
    rig.startModule(Link::Tcp);
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(std::uint16_t(std::stoi(rig.address())));
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    const std::string command = "atFirmwareVersionGet\n";
    ASSERT_EQ(send(fd, command.data(), command.size(), MSG_NOSIGNAL), ssize_t(command.size()));
    EXPECT_TRUE(peerCloses(fd, Deadline(5s)));
    close(fd);

    rig.expectModuleEnded();
    EXPECT_NE(rig.moduleLog().find("not the signature"), std::string::npos) << rig.moduleLog();
    EXPECT_EQ(rig.commandsReceived(), std::vector<std::string>{});
}

TEST(ModuleEmulator, EndsOnSigtermWithItsFilesWritten) {
    ModuleRig rig;
    rig.startModule(Link::Serial);
    rig.module().sendSignal(SIGTERM);
    rig.expectModuleEnded();
    EXPECT_EQ(rig.firmwareReceived(), "");
}

TEST(ModuleEmulator, RefusesBadOptionsWithUsage) {
    const std::vector<std::vector<std::string>> refused = {
        {},
        {"--tcp", "--pty"},
        {"--pty", "--port", "5"},
        {"--tcp", "--port", "65536"},
        {"--tcp", "--silent", "0"},
        {"--tcp", "--reply", "3"},
        {"--tcp", "--reply", "3:bad\\q"},
        {"--tcp", "--version"},
        {"--tcp", "--bogus"},
    };
    for (const auto& options : refused) {
        test_support::LaunchPlan launch;
        launch.argv = {MODULE_EMULATOR};
        launch.argv.insert(launch.argv.end(), options.begin(), options.end());
        ChildProcess emulator(launch);
        const auto status = emulator.waitForExit(Deadline(5s));
        EXPECT_TRUE(status.exitedWith(2)) << testing::PrintToString(options) << ": " << status.describe();
        EXPECT_NE(emulator.errorOutput().find("usage: module-emulator"), std::string::npos);
        EXPECT_EQ(emulator.output(), "");
    }
}

}  // namespace
}  // namespace module_e2e
