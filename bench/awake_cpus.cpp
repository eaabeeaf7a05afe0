#include "awake_cpus.h"

#include <csignal>
#include <sched.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bench {

namespace {

[[noreturn]] void spinOn(int cpu, pid_t driver) {
    // A spinner must not outlive a driver that dies without its destructor.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != driver) _exit(0);
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    sched_setaffinity(0, sizeof set, &set);
    sched_param lowest{};
    if (sched_setscheduler(0, SCHED_IDLE, &lowest) != 0) _exit(1);
    for (volatile unsigned long turns = 0;; turns = turns + 1) {
    }
}

}  // namespace

AwakeCpus::AwakeCpus() {
    cpu_set_t online;
    if (sched_getaffinity(0, sizeof online, &online) != 0) throw std::runtime_error("no CPU set");
    const pid_t driver = getpid();
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (!CPU_ISSET(cpu, &online)) continue;
        pid_t pid = fork();
        if (pid < 0) throw std::runtime_error("fork failed");
        if (pid == 0) spinOn(cpu, driver);
        spinners_.push_back(pid);
    }
}

AwakeCpus::~AwakeCpus() {
    for (pid_t pid : spinners_) kill(pid, SIGKILL);
    for (pid_t pid : spinners_) waitpid(pid, nullptr, 0);
}

}  // namespace bench
