// The updater's command line: the usage block, the choice of the link by
// the connection words, and the failures of a connection that cannot be made.
#include "module_rig.h"

#include <gtest/gtest.h>

namespace module_e2e {
namespace {

TEST(CommandLine, NoWordsWritesTheUsageBlockOnly) {
    ModuleRig rig;
    expectResultLines(rig.runUpdater({}),
        {resultLine(7, 0, "Command line parameters:"),
            resultLine(7, 0, "ComPort=ttyUSB0 in order to use the ttyUSB0 com port"),
            resultLine(7, 0, "FileIn=NorvelWaveLink.bin in order to specify the firmware file with full path"),
            resultLine(7, 0, "FirmwareVersionGetOnly in order to get firmware version and exit"),
            resultLine(7, 0, "ConnectionType=ComPort in order to connect to device by ComPort"),
            resultLine(7, 0, "ConnectionType=Tcp in order to connect to device by tcp"),
            resultLine(7, 0, "RemoteAddress=192.168.1.1 tcp device address"),
            resultLine(7, 0, "RemoteSocket=3000 tcp device socket")});
}

struct NoModuleCase {
    const char* name;
    std::vector<std::string> words;
    std::string line;
};

class WithoutModule : public testing::TestWithParam<NoModuleCase> {};

TEST_P(WithoutModule, EndsWithOneFailureLine) {
    ModuleRig rig;
    expectResultLines(rig.runUpdater(GetParam().words), {GetParam().line});
}

const std::string noConnectionType = resultLine(0, -1, "Unable to get connection type!!!");

INSTANTIATE_TEST_SUITE_P(Words, WithoutModule,
    testing::Values(NoModuleCase{"SingleUnknownWord", {"Bogus"}, noConnectionType},
        NoModuleCase{"TcpWordInLowerCase", {"ConnectionType=tcp"}, noConnectionType},
        NoModuleCase{"ConnectionWordWithTrailingBlank", {"ConnectionType=Tcp "}, noConnectionType},
        NoModuleCase{
            "SerialWithoutPortName", {"ConnectionType=ComPort"}, resultLine(0, -1, "Unable to open serial port!!!")},
        NoModuleCase{"TcpWithoutPort", {"ConnectionType=Tcp", "RemoteAddress=127.0.0.1"},
            resultLine(0, -1, "Connection error!!!")}),
    [](const testing::TestParamInfo<NoModuleCase>& info) { return std::string(info.param.name); });

// With both connection words the serial link is taken, whichever comes
// first; the TCP words point nowhere, so the TCP link could not succeed.
TEST(CommandLine, BothConnectionWordsChooseTheSerialLink) {
    for (const bool serialFirst : {true, false}) {
        SCOPED_TRACE(serialFirst ? "serial word first" : "tcp word first");
        ModuleRig rig;
        rig.startModule(Link::Serial);
        std::vector<std::string> words = rig.connectionWords();  // serial word, ComPort
        words.insert(serialFirst ? words.end() : words.begin(), "ConnectionType=Tcp");
        words.insert(words.end(), {"RemoteAddress=127.0.0.1", "RemoteSocket=0", "FirmwareVersionGetOnly"});

        const UpdaterRun run = rig.runUpdater(words);
        rig.expectModuleEnded();
        expectResultLines(
            run, {resultLine(0, 0, "Serial port open"), resultLine(2, 0, "Current firmware version: WL-4.2.17")});
    }
}

}  // namespace
}  // namespace module_e2e
