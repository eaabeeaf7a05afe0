// One end-to-end run of panelflash.exe under Wine: the panel emulator on a
// pseudo-terminal mapped to a COM port of the prefix, the updater on a
// pseudo-terminal console that the test holds, and the dialog answered by
// dialog-picker.exe. The console is read back as text (ConsoleText), so the
// tests look for the same texts as on Linux.
#pragma once

#include "console_process.h"
#include "console_text.h"
#include "panel_rig.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace wine_e2e {

using namespace std::chrono_literals;
using panel_e2e::PanelRig;
using test_support::ConsoleProcess;
using test_support::Deadline;

// The console's line width: the pseudo-terminal's 80 columns.
constexpr std::size_t kConsoleWidth = 80;

class WineRig {
public:
    WineRig();
    ~WineRig();

    // The emulator and the work folder, as in the Linux tests.
    PanelRig& panel() { return panel_; }
    // Starts the emulator and maps a fresh COM port name to its terminal.
    std::string startPanel(const std::vector<std::string>& options);
    const std::string& comPort() const { return comPort_; }

    // Starts panelflash.exe with these arguments in the work folder.
    ConsoleProcess& startUpdater(const std::vector<std::string>& args);
    // Answers the open-file dialog: a file name of the work folder, or
    // "--cancel".
    void answerDialog(const std::string& answer);
    // What dialog-picker.exe said of the last dialog ("filter: ...").
    const std::string& dialogReport() const { return dialogReport_; }
    // Starts an update on the mapped port and picks the file in the dialog.
    ConsoleProcess& startUpdate(const std::string& model, const std::string& file);

    // Expects text on the console after what earlier expectations matched.
    void expect(const std::string& text, std::chrono::milliseconds within = 10s);
    void expectKeyWaitThenExit(int status);
    void expectExit(int status, std::chrono::milliseconds within = 10s);
    // All the console has shown, as text.
    std::string text();

private:
    void readConsole();

    PanelRig panel_;
    std::string comPort_;
    std::string comLink_;
    std::unique_ptr<ConsoleProcess> updater_;
    std::size_t fed_ = 0;
    ConsoleText shown_{kConsoleWidth};
    std::size_t matchedUpTo_ = 0;
    std::string dialogReport_;
};

// The text a POSIX console showed (LF arrives as CR LF).
std::string posixConsoleText(const std::string& transcript);

}  // namespace wine_e2e
