#include "console_process.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <stdexcept>
#include <unistd.h>
#include <utmp.h>

namespace test_support {

ConsoleProcess::ConsoleProcess(const LaunchPlan& launch) {
    ::signal(SIGPIPE, SIG_IGN);
    int slave = -1;
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 80;
    if (openpty(&master_, &slave, nullptr, nullptr, &size) != 0) {
        throw std::runtime_error("openpty failed");
    }
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    tcgetattr(slave, &initialSettings_);
    pid_t pid;
    try {
        pid = detail::spawn(launch, [&] {
            close(master_);
            login_tty(slave);
        });
    } catch (...) {
        close(slave);
        close(master_);
        throw;
    }
    close(slave);
    detail::setNonBlocking(master_);
    process_ = std::make_unique<detail::ProcessHandle>(pid);
}

ConsoleProcess::~ConsoleProcess() {
    process_.reset();
    close(master_);
}

std::vector<detail::Stream> ConsoleProcess::streams() { return {{master_, &console_}}; }

bool ConsoleProcess::readUntil(const std::string& text, const Deadline& deadline) {
    for (;;) {
        if (console_.consume(text)) return true;
        if (deadline.expired()) return false;
        if (!detail::pump(streams(), -1, deadline.pollTimeout())) return console_.consume(text);
    }
}

const std::string& ConsoleProcess::transcript() {
    console_.drain(master_);
    return console_.all();
}

std::string ConsoleProcess::unread() {
    console_.drain(master_);
    return console_.unread();
}

void ConsoleProcess::sendKeys(const std::string& keys) {
    detail::writeAll(master_, keys, Deadline(std::chrono::seconds(5)));
}

void ConsoleProcess::sendSignal(int signo) { process_->signal(signo); }

bool ConsoleProcess::running() { return process_->running(); }

bool ConsoleProcess::exitsWithin(const Deadline& deadline) { return process_->awaitEnd(streams(), deadline); }

ExitStatus ConsoleProcess::waitForExit(const Deadline& deadline) { return process_->waitForExit(streams(), deadline); }

termios ConsoleProcess::currentSettings() const {
    termios settings{};
    if (tcgetattr(master_, &settings) != 0) {
        throw std::runtime_error(std::string("tcgetattr on the master failed: ") + std::strerror(errno));
    }
    return settings;
}

bool sameLineDiscipline(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
           a.c_cc[VMIN] == b.c_cc[VMIN] && a.c_cc[VTIME] == b.c_cc[VTIME];
}

}  // namespace test_support
