#include "process_control.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/syscall.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace test_support {

std::string ExitStatus::describe() const {
    if (hung) return "hung (killed at the deadline)";
    if (exited) return "exit status " + std::to_string(code);
    if (signal != 0) return std::string("killed by signal ") + strsignal(signal);
    return "not ended";
}

namespace detail {

namespace {

std::vector<std::string> buildEnvironment(const LaunchPlan& launch) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string line(*entry);
        bool overridden = false;
        for (const auto& [name, value] : launch.environment) {
            if (line.compare(0, name.size() + 1, name + "=") == 0) overridden = true;
        }
        if (!overridden) env.push_back(line);
    }
    for (const auto& [name, value] : launch.environment) env.push_back(name + "=" + value);
    return env;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (auto& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

pid_t spawn(const LaunchPlan& launch, const std::function<void()>& inChild) {
    if (launch.argv.empty()) throw std::invalid_argument("spawn: empty argv");
    // Everything the child needs is built before fork: after it, only
    // async-signal-safe calls are made.
    std::vector<std::string> args = launch.argv;
    std::vector<std::string> env = buildEnvironment(launch);
    std::vector<char*> argvPointers = pointersTo(args);
    std::vector<char*> envPointers = pointersTo(env);
    const char* directory = launch.workingDirectory.empty() ? nullptr : launch.workingDirectory.c_str();

    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
    pid_t pid = fork();
    if (pid < 0) {
        close(report[0]);
        close(report[1]);
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        close(report[0]);
        // The test process ignores SIGPIPE (writes to a dead child must not
        // kill it); the program under test gets the default back.
        ::signal(SIGPIPE, SIG_DFL);
        inChild();
        int error = 0;
        if (directory != nullptr && chdir(directory) != 0) {
            error = errno;
        } else {
            execvpe(argvPointers[0], argvPointers.data(), envPointers.data());
            error = errno;
        }
        ssize_t ignored = write(report[1], &error, sizeof error);
        (void)ignored;
        _exit(127);
    }
    close(report[1]);
    int error = 0;
    ssize_t n;
    do {
        n = read(report[0], &error, sizeof error);
    } while (n < 0 && errno == EINTR);
    close(report[0]);
    if (n == static_cast<ssize_t>(sizeof error)) {
        waitpid(pid, nullptr, 0);
        throw std::runtime_error("cannot start " + launch.argv[0] + ": " + std::strerror(error));
    }
    return pid;
}

bool pump(const std::vector<Stream>& streams, int pidfd, int timeoutMs) {
    std::vector<pollfd> fds;
    std::vector<OutputBuffer*> owners;
    for (const auto& stream : streams) {
        if (stream.buffer->atEnd()) continue;
        fds.push_back({stream.fd, POLLIN, 0});
        owners.push_back(stream.buffer);
    }
    if (pidfd >= 0) fds.push_back({pidfd, POLLIN, 0});
    if (fds.empty()) return false;
    int ready = poll(fds.data(), fds.size(), timeoutMs);
    if (ready < 0 && errno != EINTR) throw std::runtime_error("poll failed");
    for (std::size_t i = 0; i < owners.size(); ++i) {
        if (fds[i].revents != 0) owners[i]->drain(fds[i].fd);
    }
    return true;
}

ProcessHandle::ProcessHandle(pid_t pid) : pid_(pid), pidfd_(static_cast<int>(syscall(SYS_pidfd_open, pid, 0))) {
    if (pidfd_ < 0) throw std::runtime_error("pidfd_open failed");
}

ProcessHandle::~ProcessHandle() {
    killAndReap();
    close(pidfd_);
}

bool ProcessHandle::tryReap() {
    if (reaped_) return true;
    int raw = 0;
    rusage usage{};
    pid_t got;
    do {
        got = wait4(pid_, &raw, WNOHANG, &usage);
    } while (got < 0 && errno == EINTR);
    if (got != pid_) return false;
    reaped_ = true;
    status_.peakRssKb = usage.ru_maxrss;
    if (WIFEXITED(raw)) {
        status_.exited = true;
        status_.code = WEXITSTATUS(raw);
    } else if (WIFSIGNALED(raw)) {
        status_.signal = WTERMSIG(raw);
    }
    return true;
}

bool ProcessHandle::running() { return !tryReap(); }

void ProcessHandle::signal(int signo) {
    if (!reaped_) kill(pid_, signo);
}

bool ProcessHandle::awaitEnd(const std::vector<Stream>& streams, const Deadline& deadline) {
    while (!tryReap()) {
        if (deadline.expired()) return false;
        pump(streams, pidfd_, deadline.pollTimeout());
    }
    return true;
}

ExitStatus ProcessHandle::waitForExit(const std::vector<Stream>& streams, const Deadline& deadline) {
    if (!awaitEnd(streams, deadline)) {
        killAndReap();
        status_.hung = true;
    }
    // Output written just before the end is still in the descriptors.
    for (const auto& stream : streams) stream.buffer->drain(stream.fd);
    return status_;
}

void ProcessHandle::killAndReap() {
    if (reaped_) return;
    kill(pid_, SIGKILL);
    int raw = 0;
    rusage usage{};
    while (wait4(pid_, &raw, 0, &usage) < 0 && errno == EINTR) {
    }
    reaped_ = true;
    status_.signal = SIGKILL;
    status_.peakRssKb = usage.ru_maxrss;
}

void setNonBlocking(int fd) {
    int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

void writeAll(int fd, const std::string& bytes, const Deadline& deadline) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            if (deadline.expired()) throw std::runtime_error("write to child timed out");
            pollfd out{fd, POLLOUT, 0};
            poll(&out, 1, deadline.pollTimeout());
            continue;
        }
        throw std::runtime_error(std::string("write to child failed: ") + std::strerror(errno));
    }
}

}  // namespace detail
}  // namespace test_support
