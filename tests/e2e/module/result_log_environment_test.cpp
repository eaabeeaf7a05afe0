// The result lines are a run's only account, and the command line its whole
// configuration: Qt's logging variables and qtlogging.ini files, which can
// silence debug output or reshape every message, must leave the lines of a
// full update exactly as they are without them.
#include "module_rig.h"

#include "file_io.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace module_e2e {
namespace {

struct EnvironmentCase {
    const char* name;
    // "@" in a value stands for the run's directory.
    std::vector<std::pair<std::string, std::string>> variables;
    // qtlogging.ini files to write, by path under the run's directory.
    std::vector<std::string> iniFiles;
};

const std::string silencingRules = "[Rules]\n*.debug=false\ndefault.debug=false\n";

std::string inDirectory(std::string value, const std::string& directory) {
    for (std::size_t at; (at = value.find('@')) != std::string::npos;) value.replace(at, 1, directory);
    return value;
}

class ResultLogEnvironment : public testing::TestWithParam<EnvironmentCase> {};

TEST_P(ResultLogEnvironment, LeavesTheResultLinesAsTheyAre) {
    const EnvironmentCase& c = GetParam();
    ModuleRig rig;
    const std::string directory = rig.path("");
    for (const std::string& file : c.iniFiles) {
        const std::filesystem::path path = directory + file;
        std::filesystem::create_directories(path.parent_path());
        test_support::writeFile(path.string(), silencingRules);
    }
    for (const auto& [name, value] : c.variables) rig.setUpdaterVariable(name, inDirectory(value, directory));
    rig.startModule(Link::Tcp);

    const std::string firmware = firmwareOfSize(100);
    const UpdaterRun run = rig.runUpdate({"FileIn=" + rig.writeFirmware("fw.bin", firmware)});
    rig.expectModuleEnded();

    expectResultLines(
        run, {resultLine(0, 0, "Connected"), resultLine(2, 0, "Current firmware version: WL-4.2.17"),
                 resultLine(1, 0, "File in size: 100"), resultLine(3, 0, "Crc enabled correctly"),
                 resultLine(5, 0, "Firmware upload initialized correctly"),
                 resultLine(6, 0, "Firmware packet sent, remaining: 0"),
                 resultLine(4, 0, "Firmware confirmed from device"), resultLine(8, 0, "Device restarted correctly")});
    EXPECT_EQ(rig.firmwareReceived(), firmware);
}

INSTANTIATE_TEST_SUITE_P(Settings, ResultLogEnvironment,
    testing::Values(EnvironmentCase{"RulesSilenceDebug", {{"QT_LOGGING_RULES", "*.debug=false"}}, {}},
        EnvironmentCase{
            "RulesSilenceDefaultCategory", {{"QT_LOGGING_RULES", "default.debug=false;default.info=false"}}, {}},
        EnvironmentCase{"ConfFile", {{"QT_LOGGING_CONF", "@/rules.ini"}}, {"/rules.ini"}},
        EnvironmentCase{"MessagePattern",
            {{"QT_MESSAGE_PATTERN", "%{time} [%{type}] %{category}: %{message} %{if-debug}dbg%{endif}"}}, {}},
        EnvironmentCase{
            "IniUnderXdgConfigHome", {{"XDG_CONFIG_HOME", "@/config"}}, {"/config/QtProject/qtlogging.ini"}},
        // With no XDG_CONFIG_HOME the user's folder is ~/.config.
        EnvironmentCase{"IniUnderHomeConfig", {{"XDG_CONFIG_HOME", ""}, {"HOME", "@/home"}},
            {"/home/.config/QtProject/qtlogging.ini"}},
        EnvironmentCase{
            "IniUnderXdgConfigDirs", {{"XDG_CONFIG_DIRS", "@/system"}}, {"/system/QtProject/qtlogging.ini"}},
        EnvironmentCase{"AllAtOnce",
            {{"QT_LOGGING_RULES", "*=false"}, {"QT_LOGGING_CONF", "@/rules.ini"},
                {"QT_MESSAGE_PATTERN", "%{type}: %{message}"}, {"XDG_CONFIG_HOME", "@/config"}},
            {"/rules.ini", "/config/QtProject/qtlogging.ini"}}),
    [](const testing::TestParamInfo<EnvironmentCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace module_e2e
