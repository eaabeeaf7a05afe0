// One end-to-end run: the real updater on a pseudo-terminal console, talking
// to the real panel emulator, in a temporary working directory that holds the
// sample images. The console texts the tests look for are collected here.
#pragma once

#include "child_process.h"
#include "console_process.h"
#include "deadline.h"
#include "temp_dir.h"

#include <memory>
#include <string>
#include <vector>

namespace panel_e2e {

using test_support::ConsoleProcess;
using test_support::Deadline;
using namespace std::chrono_literals;

constexpr std::size_t kMainPartSize = 0x6E000;
constexpr std::size_t kWithExtensionSize = 0x76000;
constexpr std::size_t kExtensionSize = 0x8000;

extern const std::string kBanner;
extern const std::string kPickPrompt;
extern const std::string kFirstPhaseFailure;
extern const std::string kSecondPhaseFailure;
extern const std::string kPressEnter;
extern const std::string kUsbLinkPrompt;
std::string resetPrompt(const std::string& model);
std::string finalPrompt(const std::string& model);

class PanelRig {
public:
    PanelRig();

    // Writes a sample image for model into the working directory.
    std::string makeImage(const std::string& model, std::size_t bodySize, const std::string& name);
    std::string imageBody(const std::string& name) const;

    // Starts the emulator with these options plus the output files; returns its port name.
    std::string startPanel(std::vector<std::string> options);
    test_support::ChildProcess& panel() { return *panel_; }
    // Waits for the emulator to report an event on its log.
    void expectPanelLog(const std::string& text, std::chrono::milliseconds within = 10s);
    // Ends the emulator (SIGTERM) so that its files are complete.
    void stopPanel();
    std::string flash() const;
    std::string extension() const;

    // Starts the updater with these arguments in the working directory.
    ConsoleProcess& startUpdater(const std::vector<std::string>& args);
    // Starts the updater for model on the emulator's port and picks the image.
    ConsoleProcess& startUpdate(const std::string& model, const std::string& pick);
    ConsoleProcess& updater() { return *updater_; }

    // Expects text on the console within the deadline; reports what came instead.
    void expect(const std::string& text, std::chrono::milliseconds within = 10s);
    // Expects the updater to wait (still running) after what it printed, then
    // sends a key and expects it to end with status.
    void expectKeyWaitThenExit(int status);
    void expectExit(int status, std::chrono::milliseconds within = 5s);

    const std::string& directory() const { return work_.path(); }
    std::string path(const std::string& name) const { return work_.file(name); }
    const std::string& port() const { return port_; }

private:
    test_support::TempDir work_;
    std::string port_;
    std::unique_ptr<test_support::ChildProcess> panel_;
    std::unique_ptr<ConsoleProcess> updater_;
};

}  // namespace panel_e2e
