#include "line_settings.h"

namespace test_support {

namespace {

constexpr cc_t kHostileMinimumBytes = 5;
constexpr cc_t kHostileIntervalDeciseconds = 10;

struct Flag {
    tcflag_t termios::*member;
    tcflag_t bit;
    const char* fault;
};

const Flag kRawClears[] = {
    {&termios::c_iflag, BRKINT, "a break raises a signal"},
    {&termios::c_iflag, PARMRK, "parity errors are marked in the input"},
    {&termios::c_iflag, INPCK, "input parity is checked"},
    {&termios::c_iflag, ISTRIP, "input loses its eighth bit"},
    {&termios::c_iflag, INLCR, "input LF becomes CR"},
    {&termios::c_iflag, IGNCR, "input CR is dropped"},
    {&termios::c_iflag, ICRNL, "input CR becomes LF"},
    {&termios::c_iflag, IXON, "XON/XOFF stop the output"},
    {&termios::c_iflag, IXOFF, "XON/XOFF are sent for the input"},
    {&termios::c_iflag, IXANY, "any byte restarts the output"},
    {&termios::c_oflag, OPOST, "output is post-processed"},
    {&termios::c_lflag, ECHO, "input is echoed"},
    {&termios::c_lflag, ECHONL, "input LF is echoed"},
    {&termios::c_lflag, ICANON, "input is read by lines"},
    {&termios::c_lflag, ISIG, "input bytes raise signals"},
    {&termios::c_lflag, IEXTEN, "input bytes are edited"},
    {&termios::c_cflag, PARENB, "parity is on"},
    {&termios::c_cflag, CSTOPB, "two stop bits"},
};

}  // namespace

bool makeLineHostile(int terminal) {
    termios line{};
    if (tcgetattr(terminal, &line) != 0) return false;
    line.c_iflag |= BRKINT | PARMRK | INPCK | ISTRIP | INLCR | ICRNL | IXON | IXOFF | IXANY;
    line.c_oflag |= OPOST | ONLCR | OCRNL;
    line.c_lflag |= ECHO | ECHONL | ICANON | ISIG | IEXTEN;
    line.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARODD);
    line.c_cflag |= CS7 | PARENB | CSTOPB;
    line.c_cc[VMIN] = kHostileMinimumBytes;
    line.c_cc[VTIME] = kHostileIntervalDeciseconds;
    if (cfsetispeed(&line, B9600) != 0 || cfsetospeed(&line, B9600) != 0) return false;
    if (tcsetattr(terminal, TCSANOW, &line) != 0) return false;
    // tcsetattr succeeds when any one change is taken: check them all, but
    // for the size and parity a pseudo-terminal always puts back to 8N.
    termios taken{};
    const tcflag_t kept = ~static_cast<tcflag_t>(CSIZE | PARENB);
    return tcgetattr(terminal, &taken) == 0 && taken.c_iflag == line.c_iflag && taken.c_oflag == line.c_oflag &&
           (taken.c_cflag & kept) == (line.c_cflag & kept) && taken.c_lflag == line.c_lflag &&
           taken.c_cc[VMIN] == line.c_cc[VMIN] && taken.c_cc[VTIME] == line.c_cc[VTIME];
}

bool makeLineRaw(int terminal) {
    termios line{};
    if (tcgetattr(terminal, &line) != 0) return false;
    cfmakeraw(&line);
    line.c_iflag &= ~static_cast<tcflag_t>(IXOFF | IXANY);
    return tcsetattr(terminal, TCSANOW, &line) == 0;
}

std::vector<std::string> rawLineFaults(const termios& settings) {
    std::vector<std::string> faults;
    if (cfgetispeed(&settings) != B57600) faults.push_back("input speed is not 57600");
    if (cfgetospeed(&settings) != B57600) faults.push_back("output speed is not 57600");
    if ((settings.c_cflag & CSIZE) != CS8) faults.push_back("characters are not 8 bits");
    for (const Flag& flag : kRawClears) {
        if ((settings.*flag.member & flag.bit) != 0) faults.push_back(flag.fault);
    }
    if ((settings.c_cflag & CREAD) == 0) faults.push_back("the receiver is off");
    if (settings.c_cc[VMIN] != 1 || settings.c_cc[VTIME] != 0) faults.push_back("a read waits for more than one byte");
    return faults;
}

}  // namespace test_support
