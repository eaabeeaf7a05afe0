// installed-update-check BINDIR: runs the programs installed in BINDIR
// against the emulators installed there, as a technician would, and checks
// what arrived on the device side:
//   - panelflash on a pseudo-terminal console, a whole two-phase update of a
//     KALDOR64 image with the extension against panel-emulator, every prompt
//     passed with ENTER;
//   - moduleflash against module-emulator, over TCP and over a
//     pseudo-terminal, uploading a firmware file.
// Prints one line per run and exits 0 when every run did what it should.
#include "child_process.h"
#include "console_process.h"
#include "deadline.h"
#include "file_io.h"
#include "temp_dir.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace std::chrono_literals;
using test_support::ChildProcess;
using test_support::ConsoleProcess;
using test_support::Deadline;
using test_support::LaunchPlan;

namespace {

constexpr std::size_t kMainPartSize = 0x6E000;
constexpr std::size_t kWithExtensionSize = 0x76000;
constexpr std::size_t kFirmwareSize = 100'000;
const std::string kModel = "KALDOR64";
const std::string kPickPrompt = "File number or path (ENTER cancels): ";
const std::string kResetPrompt = "2 - Press ENTER key on PC keyboard";
const std::string kUsbLinkPrompt = "5 - Press ENTER key on PC keyboard only after activating the \"USB LINK >>>\"";
const std::string kFinalPrompt = "8 - Press ENTER key on PC keyboard";
const std::string kRestarted = "\"8|0|Device restarted correctly\"";

struct CheckFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void require(bool condition, const std::string& what) {
    if (!condition) throw CheckFailed(what);
}

// Starts an emulator and returns the port it announces on its first line.
std::string startEmulator(ChildProcess& emulator) {
    auto line = emulator.readLine(Deadline(10s));
    require(line.has_value(), "the emulator named no port: " + emulator.errorOutput());
    return *line;
}

void expectOnConsole(ConsoleProcess& console, const std::string& text, std::chrono::milliseconds within) {
    require(console.readUntil(text, Deadline(within)), "panelflash did not show \"" + text +
                                                           "\"; after the last prompt it showed:\n" +
                                                           console.unread().substr(0, 2000));
}

void checkPanelUpdate(const std::string& bindir) {
    test_support::TempDir work;
    const std::string image = work.file("sample.bim");
    ChildProcess maker(
        {{bindir + "/panel-emulator", "--make-image", kModel, std::to_string(kWithExtensionSize), image}, "", {}});
    require(maker.waitForExit(Deadline(10s)).exitedWith(0), "--make-image failed: " + maker.errorOutput());

    ChildProcess panel({{bindir + "/panel-emulator", "--model", kModel, "--flash-out", work.file("flash.out"),
                            "--extension-out", work.file("extension.out")},
        "", {}});
    const std::string port = startEmulator(panel);

    ConsoleProcess updater({{bindir + "/panelflash", kModel, port}, work.path(), {}});
    expectOnConsole(updater, kPickPrompt, 10s);
    updater.sendKeys("1\r");
    expectOnConsole(updater, kResetPrompt, 60s);
    updater.sendKeys("\r");
    expectOnConsole(updater, kUsbLinkPrompt, 10s);
    require(
        panel.readErrorUntil("firmware running", Deadline(10s)), "the panel did not restart: " + panel.errorOutput());
    updater.sendKeys("\r");
    expectOnConsole(updater, kFinalPrompt, 60s);
    updater.sendKeys("\r");
    auto ended = updater.waitForExit(Deadline(10s));
    require(ended.exitedWith(1), "panelflash ended: " + ended.describe());

    auto panelEnded = panel.waitForExit(Deadline(10s));
    require(panelEnded.exitedWith(0), "panel-emulator ended: " + panelEnded.describe() + "\n" + panel.errorOutput());
    const std::string body = test_support::readFile(image).substr(32);
    require(test_support::readFile(work.file("flash.out")) == body.substr(0, kMainPartSize),
        "the panel's flash differs from the image");
    require(test_support::readFile(work.file("extension.out")) == body.substr(kMainPartSize),
        "the extension the panel received differs from the image's");
    std::cout << "panelflash " << kModel << " " << port << ": two-phase update complete, flash and extension match\n";
}

std::string firmwareBytes() {
    std::string bytes(kFirmwareSize, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    return bytes;
}

void checkModuleUpdate(const std::string& bindir, const std::string& transport) {
    test_support::TempDir work;
    const std::string firmware = work.file("fw.bin");
    test_support::writeFile(firmware, firmwareBytes());

    ChildProcess module(
        {{bindir + "/module-emulator", transport, "--firmware-out", work.file("received.bin")}, "", {}});
    const std::string where = startEmulator(module);
    std::vector<std::string> argv{bindir + "/moduleflash"};
    if (transport == "--tcp") {
        argv.insert(argv.end(), {"ConnectionType=Tcp", "RemoteAddress=127.0.0.1", "RemoteSocket=" + where});
    } else {
        argv.insert(argv.end(), {"ConnectionType=ComPort", "ComPort=" + where});
    }
    argv.push_back("FileIn=" + firmware);

    ChildProcess updater({argv, "", {}});
    auto ended = updater.waitForExit(Deadline(60s));
    const std::string lines = updater.errorOutput();
    require(ended.exitedWith(0), "moduleflash ended: " + ended.describe() + "\n" + lines);
    require(lines.find("|-1|") == std::string::npos && lines.find(kRestarted) != std::string::npos,
        "moduleflash did not complete the update:\n" + lines);

    auto moduleEnded = module.waitForExit(Deadline(10s));
    require(
        moduleEnded.exitedWith(0), "module-emulator ended: " + moduleEnded.describe() + "\n" + module.errorOutput());
    require(test_support::readFile(work.file("received.bin")) == firmwareBytes(),
        "the firmware the module received differs from the file");
    std::cout << "moduleflash over " << transport.substr(2) << " " << where << ": update complete, firmware matches\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: installed-update-check BINDIR\n";
        return 2;
    }
    const std::string bindir = argv[1];
    try {
        checkPanelUpdate(bindir);
        checkModuleUpdate(bindir, "--tcp");
        checkModuleUpdate(bindir, "--pty");
    } catch (const std::exception& failure) {
        std::cerr << "installed-update-check: " << failure.what() << "\n";
        return 1;
    }
    return 0;
}
