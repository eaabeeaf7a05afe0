// Keeps every CPU busy while a paced figure is measured: one spinning child
// per CPU, pinned to it, under the SCHED_IDLE policy, so it runs only when
// nothing else wants that CPU and gives way to any task woken there at once.
// On a virtual machine an idle CPU is halted, and the host can take
// milliseconds to run it again when a timer fires or a task is woken; a
// paced exchange waits on several such wake-ups. With the CPUs kept awake a
// paced figure measures the line and the programs, not the host's scheduler.
#pragma once

#include <sys/types.h>
#include <vector>

namespace bench {

class AwakeCpus {
public:
    AwakeCpus();
    ~AwakeCpus();
    AwakeCpus(const AwakeCpus&) = delete;
    AwakeCpus& operator=(const AwakeCpus&) = delete;

    std::size_t count() const { return spinners_.size(); }

private:
    std::vector<pid_t> spinners_;
};

}  // namespace bench
