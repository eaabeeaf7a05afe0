#include "runs.h"

#include <fstream>
#include <memory>
#include <iterator>

namespace bench {

namespace {

using std::chrono::seconds;

const char kModel[] = "KALDOR64";
const char kResetPromptEnd[] = "2 - Press ENTER key on PC keyboard\n";
const char kUsbPromptEnd[] = "only after activating the \"USB LINK >>>\"\n";
const char kFinalPromptEnd[] = "8 - Press ENTER key on PC keyboard\n";
const char kPanelReset[] = "firmware running";
// Long enough for a paced run (about two minutes), short enough to notice a hang.
const seconds kRunLimit{400};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> joined(std::vector<std::string> head, const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

RunResult failed(std::string why, const Child& client) {
    RunResult result;
    result.why = why + "\n--- client output:\n" +
                 client.out().substr(client.out().size() > 2000 ? client.out().size() - 2000 : 0) + client.err();
    return result;
}

// The first line an emulator prints: where to reach it.
bool readWhere(Child& emulator, std::string& where) {
    if (!emulator.waitForOut("\n", Clock::now() + seconds(10))) return false;
    where = emulator.out().substr(0, emulator.out().find('\n'));
    return true;
}

}  // namespace

double countOf(const std::string& counts, const std::string& name) {
    std::size_t at = counts.find(name + "=");
    return at == std::string::npos ? 0 : std::stod(counts.substr(at + name.size() + 1));
}

RunResult runPanel(const Tools& tools, bool floor, const std::vector<std::string>& emulatorPacing) {
    const std::string flashOut = tools.work + "/panel-flash.bin";
    const std::string extensionOut = tools.work + "/panel-extension.bin";
    Child emulator(
        joined({tools.panelEmulator, "--model", kModel, "--flash-out", flashOut, "--extension-out", extensionOut},
            emulatorPacing),
        "", Child::Stream::Null, Child::Stream::Pipe, Child::Stream::Pipe);
    std::string port;
    if (!readWhere(emulator, port)) return failed("panel emulator did not start", emulator);
    auto until = Clock::now() + kRunLimit;

    std::unique_ptr<Child> client;
    if (floor) {
        client = std::make_unique<Child>(std::vector<std::string>{tools.panelFloor, port, tools.panelImage}, "",
            Child::Stream::Pipe, Child::Stream::Pipe, Child::Stream::Pipe);
        if (!client->waitForOut("between phases\n", until)) return failed("floor: no end of the first phase", *client);
    } else {
        client = std::make_unique<Child>(std::vector<std::string>{tools.panelflash, kModel, port}, tools.work,
            Child::Stream::Pipe, Child::Stream::Pipe, Child::Stream::Null);
        client->send("1\n");
        if (!client->waitForOut(kResetPromptEnd, until)) return failed("panelflash: no reset prompt", *client);
        client->send("\r");
        if (!client->waitForOut(kUsbPromptEnd, until)) return failed("panelflash: no USB link prompt", *client);
    }
    // The link may be confirmed only once the panel has taken its reset.
    if (!emulator.waitForErr(kPanelReset, until)) return failed("panel emulator: no reset", emulator);
    client->send("\r");
    if (!floor) {
        if (!client->waitForOut(kFinalPromptEnd, until)) return failed("panelflash: no final prompt", *client);
        client->send("\r");
    }
    RunResult result;
    result.client = client->wait(until);
    result.counts = client->err();
    emulator.wait(Clock::now() + seconds(10));
    int expectedStatus = floor ? 0 : 1;
    if (result.client.status != expectedStatus)
        return failed("client exit status " + std::to_string(result.client.status), *client);

    // The panel must now hold the image: body from device page 2, extension whole.
    std::string image = readFile(tools.panelImage).substr(32);
    std::string flash = readFile(flashOut);
    std::string extension = readFile(extensionOut);
    if (flash.compare(0, 0x6E000, image, 0, 0x6E000) != 0 || extension != image.substr(0x6E000, 0x8000)) {
        return failed("the panel does not hold the image", *client);
    }
    result.ok = true;
    return result;
}

RunResult runModule(const Tools& tools, const ModulePath& path, ModuleClient client) {
    const std::string firmwareOut = tools.work + "/module-firmware.bin";
    std::vector<std::string> emulatorArgs = {
        tools.moduleEmulator, path.tcp ? "--tcp" : "--pty", "--firmware-out", firmwareOut};
    if (path.tcp) emulatorArgs.insert(emulatorArgs.end(), {"--listen", path.address});
    Child emulator(joined(path.emulatorPrefix, joined(emulatorArgs, path.emulatorPacing)), "", Child::Stream::Null,
        Child::Stream::Pipe, Child::Stream::Null);
    std::string where;
    if (!readWhere(emulator, where)) return failed("module emulator did not start", emulator);

    std::vector<std::string> args;
    if (client == ModuleClient::Program) {
        args = path.tcp ? std::vector<std::string>{tools.moduleflash, "ConnectionType=Tcp",
                              "RemoteAddress=" + path.address, "RemoteSocket=" + where, "FileIn=" + tools.moduleImage}
                        : std::vector<std::string>{tools.moduleflash, "ConnectionType=ComPort", "ComPort=" + where,
                              "FileIn=" + tools.moduleImage};
    } else {
        args = path.tcp ? std::vector<std::string>{tools.moduleFloor, "tcp", path.address, where, tools.moduleImage}
                        : std::vector<std::string>{tools.moduleFloor, "pty", where, tools.moduleImage};
        if (client == ModuleClient::FloorNoDelay) args.push_back("nodelay");
    }
    // The account on standard error is read after the run: a pipe would wake
    // the driver for every result line.
    Child run(joined(path.clientPrefix, args), "", Child::Stream::Null, Child::Stream::Null, Child::Stream::File);
    RunResult result;
    result.client = run.wait(Clock::now() + kRunLimit);
    result.counts = run.err();
    emulator.wait(Clock::now() + seconds(10));
    if (client == ModuleClient::Program && run.err().find("Device restarted correctly") == std::string::npos) {
        return failed("moduleflash did not finish the update", run);
    }
    if (client != ModuleClient::Program && result.client.status != 0) return failed("floor client failed", run);
    if (readFile(firmwareOut) != readFile(tools.moduleImage))
        return failed("the module does not hold the firmware", run);
    result.ok = true;
    return result;
}

}  // namespace bench
