#include "stop_signal.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace module_emulator {

namespace {
int stopWriteFd = -1;

void onStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = write(stopWriteFd, &byte, 1);
}
}  // namespace

int installStopSignal() {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    for (int fd : fds) fcntl(fd, F_SETFD, FD_CLOEXEC);
    fcntl(fds[1], F_SETFL, O_NONBLOCK);
    stopWriteFd = fds[1];

    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    return fds[0];
}

}  // namespace module_emulator
