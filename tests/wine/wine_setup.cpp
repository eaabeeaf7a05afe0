#include "wine_setup.h"

#include "child_process.h"
#include "deadline.h"
#include "temp_dir.h"

#include <memory>

namespace wine_e2e {

namespace {

using namespace std::chrono_literals;
using test_support::ChildProcess;
using test_support::Deadline;

std::unique_ptr<test_support::TempDir> home;

std::string prefix() { return home->file("prefix"); }

// Runs a Wine tool to its end with its output appended to the log: whatever
// it leaves running holds the log, not a pipe of this process.
bool runTool(const std::vector<std::string>& argv, std::chrono::milliseconds within) {
    std::vector<std::string> shell{"/bin/sh", "-c", "exec \"$@\" >>\"$WINE_E2E_LOG\" 2>&1", "sh"};
    shell.insert(shell.end(), argv.begin(), argv.end());
    auto environment = wineEnvironment();
    environment.emplace_back("WINE_E2E_LOG", wineLog());
    ChildProcess tool({shell, home->path(), environment});
    return tool.waitForExit(Deadline(within)).exitedWith(0);
}

void setUpStep(const std::vector<std::string>& argv, std::chrono::milliseconds within) {
    if (!runTool(argv, within)) {
        throw std::runtime_error("Wine set-up failed at " + argv[0] + " " + argv[1] + "; see " + wineLog());
    }
}

}  // namespace

std::vector<std::pair<std::string, std::string>> wineEnvironment() {
    return {
        {"WINEPREFIX", prefix()},
        {"WINEDEBUG", "-all"},
        // No installer prompts for .NET and HTML support at boot.
        {"WINEDLLOVERRIDES", "mscoree,mshtml="},
    };
}

std::string dosDevices() { return prefix() + "/dosdevices"; }

std::string wineLog() { return home->file("wine.log"); }

void WineSetup::SetUp() {
    home = std::make_unique<test_support::TempDir>();
    setUpStep({"wineboot", "-i"}, 180s);
    setUpStep({"wine", "reg", "add", "HKCU\\Software\\Wine\\Drivers", "/v", "Graphics", "/d", "null", "/f"}, 60s);
    // The driver is read when a server starts: let the boot's server end.
    setUpStep({"wineserver", "-w"}, 60s);
    // A persistent server forks into the background and keeps the log.
    setUpStep({"wineserver", "-p"}, 30s);
    setUpStep({"wine", "cmd", "/c", "exit"}, 60s);
}

void WineSetup::TearDown() {
    runTool({"wineserver", "-k"}, 30s);
    runTool({"wineserver", "-w"}, 30s);
    home.reset();
}

}  // namespace wine_e2e
