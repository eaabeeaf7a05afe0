#include "wine_rig.h"

#include "child_process.h"
#include "line_settings.h"
#include "wine_setup.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace wine_e2e {

namespace {

// Every console write of Wine ends by showing the cursor again: a point at
// which the text is worth looking at.
const std::string kWriteEnd = "\x1b[?25h";

// COM9 is kept for a port that does not exist; each run maps its own name
// so that no link of an earlier run is reused.
int nextComNumber = 3;
constexpr int kMissingComNumber = 9;

std::string quoted(const std::string& path) { return "'" + path + "'"; }

}  // namespace

WineRig::WineRig() = default;

WineRig::~WineRig() {
    if (!comLink_.empty()) {
        unlink(comLink_.c_str());
    }
}

std::string WineRig::startPanel(const std::vector<std::string>& options) {
    std::string terminal = panel_.startPanel(options);
    // The program keeps the flow control its port reports. A Windows serial
    // driver reports none; a fresh pseudo-terminal has XON/XOFF on, which
    // would swallow the 0x11 and 0x13 bytes of frames and replies.
    int line = open(("/dev/" + terminal).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    bool raw = line >= 0 && test_support::makeLineRaw(line);
    if (line >= 0) close(line);
    if (!raw) throw std::runtime_error("cannot set up /dev/" + terminal + " as a Windows port");
    panel_.expectPanelLog("line closed after 0 bootloader frames");
    if (nextComNumber == kMissingComNumber) {
        ++nextComNumber;
    }
    int number = nextComNumber++;
    comPort_ = "COM" + std::to_string(number);
    // Made while the server runs: Wine rewrites the COM links it finds at
    // its start.
    comLink_ = dosDevices() + "/com" + std::to_string(number);
    unlink(comLink_.c_str());
    if (symlink(("/dev/" + terminal).c_str(), comLink_.c_str()) != 0) {
        throw std::runtime_error("cannot link " + comLink_);
    }
    return comPort_;
}

ConsoleProcess& WineRig::startUpdater(const std::vector<std::string>& args) {
    // Wine's own notices go to standard error; the program writes nothing
    // there, so the console shows the program alone.
    std::vector<std::string> argv{"/bin/sh", "-c", "exec wine \"$@\" 2>>" + quoted(wineLog()), "sh", PANELFLASH_EXE};
    argv.insert(argv.end(), args.begin(), args.end());
    updater_ = std::make_unique<ConsoleProcess>(test_support::LaunchPlan{argv, panel_.directory(), wineEnvironment()});
    return *updater_;
}

void WineRig::answerDialog(const std::string& answer) {
    test_support::ChildProcess picker({{"wine", DIALOG_PICKER_EXE, answer}, panel_.directory(), wineEnvironment()});
    auto status = picker.waitForExit(Deadline(40s));
    EXPECT_TRUE(status.exitedWith(0)) << "dialog-picker: " << status.describe() << "\n" << picker.errorOutput();
    dialogReport_ = picker.output();
}

ConsoleProcess& WineRig::startUpdate(const std::string& model, const std::string& file) {
    startUpdater({model, comPort_});
    answerDialog(file);
    return *updater_;
}

void WineRig::readConsole() {
    const std::string& transcript = updater_->transcript();
    shown_.feed(transcript.substr(fed_));
    fed_ = transcript.size();
}

void WineRig::expect(const std::string& text, std::chrono::milliseconds within) {
    Deadline deadline(within);
    std::size_t searchFrom = matchedUpTo_;
    for (;;) {
        readConsole();
        std::size_t at = shown_.find(text, searchFrom);
        if (at != std::string::npos) {
            matchedUpTo_ = at + text.size();
            return;
        }
        // Nothing before this point can begin a match any more, unless the
        // console redraws the unfinished line.
        if (shown_.length() > text.size() + kConsoleWidth) {
            searchFrom = std::max(searchFrom, shown_.length() - text.size() - kConsoleWidth);
        }
        if (deadline.expired()) {
            ADD_FAILURE() << "console did not show:\n"
                          << text << "\n--- it showed after the last match:\n"
                          << shown_.text().substr(matchedUpTo_).substr(0, 4000);
            return;
        }
        updater_->readUntil(kWriteEnd, deadline);
    }
}

void WineRig::expectKeyWaitThenExit(int status) {
    EXPECT_FALSE(updater_->exitsWithin(Deadline(300ms))) << "ended without waiting for a key";
    updater_->sendKeys("\r");
    expectExit(status);
}

void WineRig::expectExit(int status, std::chrono::milliseconds within) {
    auto ended = updater_->waitForExit(Deadline(within));
    EXPECT_TRUE(ended.exitedWith(status)) << "panelflash.exe: " << ended.describe();
}

std::string WineRig::text() {
    readConsole();
    if (!shown_.unknownSequences().empty()) {
        ADD_FAILURE() << "the console sent " << shown_.unknownSequences().size()
                      << " control sequences the replay does not know, the first: "
                      << shown_.unknownSequences().front().substr(1);
    }
    return shown_.text();
}

std::string posixConsoleText(const std::string& transcript) { return consoleText(transcript, 0); }

}  // namespace wine_e2e
