#include "panel_rig.h"

#include "file_io.h"

#include <csignal>
#include <gtest/gtest.h>

namespace panel_e2e {

const std::string kBanner = "Norvel Controls - USB Firmware Updater V3.00\n\n";
const std::string kPickPrompt = "(INVIO annulla) / File number or path (ENTER cancels): ";
const std::string kFirstPhaseFailure = "\n\nFailure - Please disconnect USB cable & check system components\n";
const std::string kSecondPhaseFailure = "\n\nPlease disconnect USB cable & check system components\n";
const std::string kPressEnter = "Press ENTER key.\n";
const std::string kUsbLinkPrompt =
    "\n\n--------\n3 - Digita il codice installatore o di comunicazione sulla tastiera\n"
    "4 - Attiva la \"CONNESSIONE USB >>>\" sulla centrale\n"
    "5 - Premi INVIO sulla tastiera del PC solo dopo aver attivato la \"CONNESSIONE USB >>>\"\n\n"
    "3 - Enter the Installer or Communication code on keyboard\n"
    "4 - Enable the \"USB LINK >>>\" on control panel\n"
    "5 - Press ENTER key on PC keyboard only after activating the \"USB LINK >>>\"\n";

std::string resetPrompt(const std::string& model) {
    return "\n\n--------\nPer cortesia :\n1 - Premi il pulsante di RESET sulla scheda " + model +
           "\n2 - Premi INVIO sulla tastiera del PC\n\nPlease :\n1 - Press RESET button on " + model +
           " base panel\n2 - Press ENTER key on PC keyboard\n";
}

std::string finalPrompt(const std::string& model) {
    return "\n\n--------\n6 - Scollega il cavo USB\n7 - Premi il pulsante di RESET sulla scheda " + model +
           "\n8 - Premi INVIO sulla tastiera del PC\n\n6 - Disconnect USB cable\n7 - Press RESET button on " + model +
           " base panel\n8 - Press ENTER key on PC keyboard\n";
}

namespace {

// The console shows "\n" as "\r\n" (the terminal's output processing).
std::string onConsole(const std::string& text) {
    std::string shown;
    for (char c : text) {
        if (c == '\n') shown += '\r';
        shown += c;
    }
    return shown;
}

}  // namespace

PanelRig::PanelRig() = default;

std::string PanelRig::makeImage(const std::string& model, std::size_t bodySize, const std::string& name) {
    test_support::ChildProcess maker(
        {{PANEL_EMULATOR, "--make-image", model, std::to_string(bodySize), path(name)}, "", {}});
    EXPECT_TRUE(maker.waitForExit(Deadline(10s)).exitedWith(0)) << maker.errorOutput();
    return path(name);
}

std::string PanelRig::imageBody(const std::string& name) const { return test_support::readFile(path(name)).substr(32); }

std::string PanelRig::startPanel(std::vector<std::string> options) {
    std::vector<std::string> argv{
        PANEL_EMULATOR, "--flash-out", path("flash.out"), "--extension-out", path("extension.out")};
    argv.insert(argv.end(), options.begin(), options.end());
    panel_ = std::make_unique<test_support::ChildProcess>(test_support::LaunchPlan{argv, "", {}});
    auto line = panel_->readLine(Deadline(5s));
    if (!line) throw std::runtime_error("the emulator named no port: " + panel_->errorOutput());
    port_ = *line;
    return port_;
}

void PanelRig::expectPanelLog(const std::string& text, std::chrono::milliseconds within) {
    EXPECT_TRUE(panel_->readErrorUntil(text, Deadline(within))) << "emulator did not log: " << text << "\n"
                                                                << panel_->errorOutput();
}

void PanelRig::stopPanel() {
    panel_->sendSignal(SIGTERM);
    auto status = panel_->waitForExit(Deadline(5s));
    EXPECT_TRUE(status.exitedWith(0)) << "emulator: " << status.describe() << "\n" << panel_->errorOutput();
}

std::string PanelRig::flash() const { return test_support::readFile(path("flash.out")); }
std::string PanelRig::extension() const { return test_support::readFile(path("extension.out")); }

ConsoleProcess& PanelRig::startUpdater(const std::vector<std::string>& args) {
    std::vector<std::string> argv{PANELFLASH};
    argv.insert(argv.end(), args.begin(), args.end());
    updater_ = std::make_unique<ConsoleProcess>(test_support::LaunchPlan{argv, work_.path(), {}});
    return *updater_;
}

ConsoleProcess& PanelRig::startUpdate(const std::string& model, const std::string& pick) {
    startUpdater({model, port_});
    expect(kPickPrompt);
    updater_->sendKeys(pick + "\r");
    return *updater_;
}

void PanelRig::expect(const std::string& text, std::chrono::milliseconds within) {
    if (!updater_->readUntil(onConsole(text), Deadline(within))) {
        ADD_FAILURE() << "console did not show:\n"
                      << text << "\n--- it showed after the last match:\n"
                      << updater_->unread().substr(0, 4000);
    }
}

void PanelRig::expectKeyWaitThenExit(int status) {
    EXPECT_FALSE(updater_->exitsWithin(Deadline(200ms))) << "ended without waiting for a key";
    updater_->sendKeys("\r");
    expectExit(status);
}

void PanelRig::expectExit(int status, std::chrono::milliseconds within) {
    auto ended = updater_->waitForExit(Deadline(within));
    EXPECT_TRUE(ended.exitedWith(status)) << "updater: " << ended.describe();
}

}  // namespace panel_e2e
