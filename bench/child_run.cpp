#include "child_run.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bench {

namespace {

int remainingMs(Clock::time_point until) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

double seconds(const timeval& tv) { return static_cast<double>(tv.tv_sec) + tv.tv_usec / 1e6; }

int scratchFile() {
    int fd = open("/tmp", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) throw std::runtime_error("no scratch file");
    return fd;
}

void readBack(int fd, std::string& into) {
    char buffer[65536];
    ssize_t n;
    off_t at = 0;
    while ((n = pread(fd, buffer, sizeof buffer, at)) > 0) {
        into.append(buffer, static_cast<std::size_t>(n));
        at += n;
    }
}

}  // namespace

Child::Child(const std::vector<std::string>& argv, const std::string& cwd, Stream in, Stream out, Stream err) {
    int inPipe[2] = {-1, -1}, outPipe[2] = {-1, -1}, errPipe[2] = {-1, -1};
    if ((in == Stream::Pipe && pipe2(inPipe, O_CLOEXEC) != 0) ||
        (out == Stream::Pipe && pipe2(outPipe, O_CLOEXEC) != 0) ||
        (err == Stream::Pipe && pipe2(errPipe, O_CLOEXEC) != 0)) {
        throw std::runtime_error("pipe failed");
    }
    if (out == Stream::File) outFile_ = scratchFile();
    if (err == Stream::File) errFile_ = scratchFile();
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& word : argv) args.push_back(const_cast<char*>(word.c_str()));
    args.push_back(nullptr);
    started_ = Clock::now();
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(in == Stream::Pipe ? inPipe[0] : null, 0);
        dup2(out == Stream::Pipe ? outPipe[1] : out == Stream::File ? outFile_ : null, 1);
        dup2(err == Stream::Pipe ? errPipe[1] : err == Stream::File ? errFile_ : null, 2);
        if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(127);
        execvp(args[0], args.data());
        _exit(127);
    }
    if (in == Stream::Pipe) {
        close(inPipe[0]);
        in_ = inPipe[1];
    }
    if (out == Stream::Pipe) {
        close(outPipe[1]);
        outFd_ = outPipe[0];
    }
    if (err == Stream::Pipe) {
        close(errPipe[1]);
        errFd_ = errPipe[0];
    }
    hadOutput_ = outFd_ >= 0 || errFd_ >= 0;
}

Child::~Child() {
    if (!reaped_) wait(Clock::now());
    for (int fd : {in_, outFd_, errFd_, outFile_, errFile_})
        if (fd >= 0) close(fd);
}

void Child::send(const std::string& text) {
    if (in_ >= 0 && write(in_, text.data(), text.size()) < 0) {
        close(in_);
        in_ = -1;
    }
}

void Child::stop() {
    if (!reaped_) kill(pid_, SIGTERM);
}

bool Child::pump(Clock::time_point until) {
    pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    if (outFd_ < 0 && errFd_ < 0) return false;
    int ready = poll(fds, 2, remainingMs(until));
    if (ready <= 0) return true;
    char buffer[65536];
    for (int i = 0; i < 2; ++i) {
        if (fds[i].revents == 0) continue;
        int& fd = i == 0 ? outFd_ : errFd_;
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            (i == 0 ? out_ : err_).append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            close(fd);
            fd = -1;
        }
    }
    return true;
}

namespace {

// While a prompt is awaited the output is read in batches, one read at most
// every kBatchInterval: a driver woken by each of the 18,000 trace writes of
// a panel update would put its own wake-ups, on a 2-core machine, right on
// the path of the program it measures. A prompt is seen at most that much
// late.
constexpr std::chrono::milliseconds kBatchInterval{10};

// Searches only what arrived since the last look (and the text's length
// before it), so waiting on a long console stays linear.
bool waitForText(
    Child& child, const std::string& stream, std::size_t& scanned, const std::string& text, Clock::time_point until) {
    for (bool first = true;; first = false) {
        std::size_t from = scanned > text.size() ? scanned - text.size() : 0;
        if (stream.find(text, from) != std::string::npos) return true;
        scanned = stream.size();
        if (!first) poll(nullptr, 0, remainingMs(std::min(until, Clock::now() + kBatchInterval)));
        if (Clock::now() >= until || !child.pump(until)) return false;
    }
}

}  // namespace

bool Child::waitForOut(const std::string& text, Clock::time_point until) {
    return waitForText(*this, out_, outScanned_, text, until);
}

bool Child::waitForErr(const std::string& text, Clock::time_point until) {
    return waitForText(*this, err_, errScanned_, text, until);
}

bool Child::exitedBy(Clock::time_point until) {
    int exitWatch = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
    if (exitWatch < 0) throw std::runtime_error("pidfd_open failed");
    pollfd exited{exitWatch, POLLIN, 0};
    int ready;
    do {
        ready = poll(&exited, 1, remainingMs(until));
    } while (ready < 0 && errno == EINTR);
    close(exitWatch);
    return ready > 0;
}

Finished Child::wait(Clock::time_point until) {
    Finished finished;
    if (reaped_) return finished;
    // Drain the output first: a child blocked on a full pipe never ends.
    while (Clock::now() < until && pump(until)) {
    }
    // Once its pipes have ended the child is exiting; otherwise its exit is
    // awaited on a process descriptor, so the reap times the exit exactly.
    bool streamsEnded = hadOutput_ && outFd_ < 0 && errFd_ < 0;
    if (!streamsEnded && !exitedBy(until)) kill(pid_, SIGKILL);
    int status = 0;
    rusage usage{};
    pid_t got = wait4(pid_, &status, 0, &usage);
    finished.wallSeconds = std::chrono::duration<double>(Clock::now() - started_).count();
    reaped_ = true;
    if (outFile_ >= 0) readBack(outFile_, out_);
    if (errFile_ >= 0) readBack(errFile_, err_);
    if (got == pid_) {
        finished.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
        if (WIFEXITED(status)) finished.status = WEXITSTATUS(status);
    }
    return finished;
}

}  // namespace bench
