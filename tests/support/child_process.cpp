#include "child_process.h"

#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace test_support {

namespace {

void makePipe(int ends[2]) {
    if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
}

}  // namespace

ChildProcess::ChildProcess(const LaunchPlan& launch) {
    ::signal(SIGPIPE, SIG_IGN);
    int in[2], out[2], err[2];
    makePipe(in);
    makePipe(out);
    makePipe(err);
    pid_t pid = detail::spawn(launch, [&] {
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
    });
    close(in[0]);
    close(out[1]);
    close(err[1]);
    input_ = in[1];
    outputFd_ = out[0];
    errorFd_ = err[0];
    detail::setNonBlocking(input_);
    detail::setNonBlocking(outputFd_);
    detail::setNonBlocking(errorFd_);
    process_ = std::make_unique<detail::ProcessHandle>(pid);
}

ChildProcess::~ChildProcess() {
    process_.reset();
    closeInput();
    close(outputFd_);
    close(errorFd_);
}

std::vector<detail::Stream> ChildProcess::streams() { return {{outputFd_, &out_}, {errorFd_, &err_}}; }

template <class Done>
bool ChildProcess::waitUntil(Done done, const Deadline& deadline) {
    for (;;) {
        if (done()) return true;
        if (deadline.expired()) return false;
        if (!detail::pump(streams(), -1, deadline.pollTimeout())) return done();
    }
}

std::optional<std::string> ChildProcess::readLine(const Deadline& deadline) {
    std::optional<std::string> line;
    waitUntil([&] { return (line = out_.consumeLine()).has_value() || out_.atEnd(); }, deadline);
    return line;
}

bool ChildProcess::readUntil(const std::string& text, const Deadline& deadline) {
    return waitUntil([&] { return out_.consume(text); }, deadline);
}

bool ChildProcess::readErrorUntil(const std::string& text, const Deadline& deadline) {
    return waitUntil([&] { return err_.consume(text); }, deadline);
}

const std::string& ChildProcess::output() {
    out_.drain(outputFd_);
    return out_.all();
}

const std::string& ChildProcess::errorOutput() {
    err_.drain(errorFd_);
    return err_.all();
}

void ChildProcess::writeInput(const std::string& bytes) {
    if (input_ < 0) throw std::logic_error("standard input already closed");
    detail::writeAll(input_, bytes, Deadline(std::chrono::seconds(5)));
}

void ChildProcess::closeInput() {
    if (input_ >= 0) close(input_);
    input_ = -1;
}

void ChildProcess::sendSignal(int signo) { process_->signal(signo); }

bool ChildProcess::running() { return process_->running(); }

bool ChildProcess::exitsWithin(const Deadline& deadline) { return process_->awaitEnd(streams(), deadline); }

ExitStatus ChildProcess::waitForExit(const Deadline& deadline) { return process_->waitForExit(streams(), deadline); }

}  // namespace test_support
