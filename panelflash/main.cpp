// panelflash: updates a control panel over its USB serial port.
//
// One straight run over the one PanelSession: model and port from the
// command line, the image picked and checked, the body uploaded to the
// bootloader (first phase), and for an image with the extension, after the
// user has reset the panel and enabled its USB link, the extension sent to
// the running firmware (second phase). Every stop waits for a key; the exit
// status is 0 when the run ends before the first phase or at the reopen of
// the port, 1 otherwise.
#include "bootloader_upload.h"
#include "catalogue.h"
#include "console.h"
#include "extension_transfer.h"
#include "image_file.h"
#include "panel_session.h"
#include "serial_link.h"

namespace {

PanelSession session;

constexpr char kResetPrompt[] =
    "\n\n--------\nPer cortesia :\n1 - Premi il pulsante di RESET sulla scheda %s\n"
    "2 - Premi INVIO sulla tastiera del PC\n\nPlease :\n1 - Press RESET button on %s base panel\n"
    "2 - Press ENTER key on PC keyboard\n";
constexpr char kUsbLinkPrompt[] =
    "\n\n--------\n3 - Digita il codice installatore o di comunicazione sulla tastiera\n"
    "4 - Attiva la \"CONNESSIONE USB >>>\" sulla centrale\n"
    "5 - Premi INVIO sulla tastiera del PC solo dopo aver attivato la \"CONNESSIONE USB >>>\"\n\n"
    "3 - Enter the Installer or Communication code on keyboard\n"
    "4 - Enable the \"USB LINK >>>\" on control panel\n"
    "5 - Press ENTER key on PC keyboard only after activating the \"USB LINK >>>\"\n";
constexpr char kFinalPrompt[] =
    "\n\n--------\n6 - Scollega il cavo USB\n7 - Premi il pulsante di RESET sulla scheda %s\n"
    "8 - Premi INVIO sulla tastiera del PC\n\n6 - Disconnect USB cable\n"
    "7 - Press RESET button on %s base panel\n8 - Press ENTER key on PC keyboard\n";

// Status 0: the run stopped before the first phase, or the port did not come
// back for the second. Status 1: every run that reached the first phase and
// went on, whatever the phases' outcome.
constexpr int kExitEarly = 0;
constexpr int kExitAfterUpload = 1;

// Waits for the key that acknowledges the last message, then ends the run.
int endAfterKey(int status) {
    waitForKey();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    platformInitConsole();
    resetSession(session);

    // 1. Banner.
    consolePrint("Norvel Controls - USB Firmware Updater V3.00\n\n");

    // 2. Model name and port name are both required.
    if (argc < 3) {
        consolePrint("Error: system control\n");
        return endAfterKey(kExitEarly);
    }

    // 3. The model, by its exact catalogue name.
    session.model = selectModel(argv[1]);
    if (session.model == nullptr) {
        consolePrint("Error: system control\n");
        return endAfterKey(kExitEarly);
    }

    // 4. The port, from the name as typed; a name too long for the device
    //    path is shown whole, as it was typed.
    if (!setDevicePath(session, argv[2])) {
        consolePrint("Error: Impossible open %s%s\n", kDevicePathPrefix, argv[2]);
        return endAfterKey(kExitEarly);
    }
    if (!openPort(session)) {
        consolePrint("Error: Impossible open %s\n", session.devicePath);
        return endAfterKey(kExitEarly);
    }

    // 5. The image: a cancelled pick ends the run at once, without a word.
    //    Keys typed ahead during the pick answer no prompt that follows.
    switch (loadImage(session)) {
    case LoadOutcome::cancelled: return kExitEarly;
    case LoadOutcome::failed: return endAfterKey(kExitEarly);
    case LoadOutcome::loaded: break;
    }
    platformDiscardTypedKeys();

    // 6. Line set-up for the bootloader.
    configurePort(session);

    // 7. First phase: the body to the bootloader.
    runBootloaderUpload(session);

    // 8. The bootloader's port goes away when the panel is reset.
    closePort(session);

    // 9. Reset prompt, or the first phase's failure.
    if (session.failFlag == 1) {
        consolePrint("\n\nFailure - Please disconnect USB cable & check system components\n");
        consolePrint("Press ENTER key.\n");
    } else {
        consolePrint(kResetPrompt, session.model->name, session.model->name);
    }

    // 10. The user resets the panel (or acknowledges the failure).
    waitForKey();

    // 11. Done unless the extension is still to go.
    if (session.failFlag == 1 || session.hasExtension == 0) {
        return kExitAfterUpload;
    }

    // 12. USB link prompt.
    consolePrint("%s", kUsbLinkPrompt);

    // 13. The user enables the panel's USB link.
    waitForKey();

    // 14. The running firmware offers its port under the same name.
    if (!openPort(session)) {
        consolePrint("Error: Impossible open %s\n", session.devicePath);
        return endAfterKey(kExitEarly);
    }

    // 15. Line set-up for the running firmware.
    configurePort(session);

    // 16. Second phase: the extension to the running firmware.
    runExtensionTransfer(session);

    // 17. The link is no longer needed.
    closePort(session);

    // 18. Final prompt, or the second phase's failure.
    if (session.failFlag == 1) {
        consolePrint("\n\nPlease disconnect USB cable & check system components\n");
        consolePrint("Press ENTER key.\n");
    } else {
        consolePrint(kFinalPrompt, session.model->name, session.model->name);
    }

    // 19. The last key ends the run.
    return endAfterKey(kExitAfterUpload);
}
