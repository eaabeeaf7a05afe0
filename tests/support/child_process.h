// A program started with its standard input, output and error on pipes.
// Output is collected as it arrives (both pipes are drained during every wait,
// so a chatty child never blocks); reads wait on poll(2) with a Deadline.
#pragma once

#include "deadline.h"
#include "exit_status.h"
#include "launch_plan.h"
#include "output_buffer.h"
#include "process_control.h"

#include <memory>
#include <optional>
#include <string>

namespace test_support {

class ChildProcess {
public:
    explicit ChildProcess(const LaunchPlan& launch);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Next line of standard output (line end removed); none at the deadline or at EOF.
    std::optional<std::string> readLine(const Deadline& deadline);
    // Waits until text appears on standard output after what earlier reads consumed.
    bool readUntil(const std::string& text, const Deadline& deadline);
    bool readErrorUntil(const std::string& text, const Deadline& deadline);

    // Everything received so far (after draining what is available now).
    const std::string& output();
    const std::string& errorOutput();

    void writeInput(const std::string& bytes);
    void closeInput();
    void sendSignal(int signo);
    bool running();
    ExitStatus waitForExit(const Deadline& deadline);
    // Whether it ends by the deadline; unlike waitForExit, a survivor is left running.
    bool exitsWithin(const Deadline& deadline);
    pid_t pid() const { return process_->pid(); }

private:
    template <class Done>
    bool waitUntil(Done done, const Deadline& deadline);
    std::vector<detail::Stream> streams();

    int input_ = -1;
    int outputFd_ = -1;
    int errorFd_ = -1;
    OutputBuffer out_;
    OutputBuffer err_;
    std::unique_ptr<detail::ProcessHandle> process_;
};

}  // namespace test_support
