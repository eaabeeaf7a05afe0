// Child processes for the benchmark driver: started with pipes on the
// standard streams the driver asks for, watched with poll(2) on monotonic
// deadlines, and reaped with wait4(2) so that each run's wall time and CPU
// time (user + system, from the kernel's rusage) are the child's own.
// A stream that the driver needs only at the end goes to an unlinked file
// instead, read back once the child is reaped: writing it wakes no reader,
// so the driver takes no CPU from the run it measures.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

struct Finished {
    int status = -1;         // exit status; -1 when killed or not exited normally
    double wallSeconds = 0;  // from the start to the reap
    double cpuSeconds = 0;   // user + system
};

class Child {
public:
    enum class Stream { Pipe, Null, File };
    Child(const std::vector<std::string>& argv, const std::string& cwd, Stream in, Stream out, Stream err);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    void send(const std::string& text);
    // Reads what stdout/stderr have now, waiting up to `until` for something.
    // False once both have ended.
    bool pump(Clock::time_point until);
    const std::string& out() const { return out_; }
    const std::string& err() const { return err_; }
    // Asks the child to end (SIGTERM).
    void stop();
    // Reaps the child, killing it when it outlives `until`.
    Finished wait(Clock::time_point until);
    // Reads until stdout (stderr) holds `text` after what earlier waits
    // found, or the deadline; true if it appeared.
    bool waitForOut(const std::string& text, Clock::time_point until);
    bool waitForErr(const std::string& text, Clock::time_point until);

private:
    // Waits for the exit without reaping; false when the deadline came first.
    bool exitedBy(Clock::time_point until);

    int pid_ = -1;
    int in_ = -1, outFd_ = -1, errFd_ = -1;
    int outFile_ = -1, errFile_ = -1;
    Clock::time_point started_;
    std::string out_, err_;
    std::size_t outScanned_ = 0, errScanned_ = 0;
    bool reaped_ = false;
    bool hadOutput_ = false;
};

}  // namespace bench
