#include "module_rig.h"

#include "file_io.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <sstream>

namespace module_e2e {

using test_support::ChildProcess;
using test_support::Deadline;
using test_support::LaunchPlan;

namespace {

std::string checksumOf(const std::string& bytes) {
    std::uint8_t sum = 0;
    for (unsigned char byte : bytes) sum = std::uint8_t(sum + byte);
    char digits[4];
    std::snprintf(digits, sizeof digits, "%03u", unsigned(sum));
    return digits;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

}  // namespace

std::string resultLine(int step, int value, const std::string& message) {
    return "\"" + std::to_string(step) + "|" + std::to_string(value) + "|" + message + "\"";
}

std::string withChecksum(const std::string& text) { return text + checksumOf(text); }

std::string chunkEntry(const std::string& data) {
    return "[" + std::to_string(data.size()) + " bytes]" + checksumOf(data);
}

void expectResultLines(const UpdaterRun& run, const std::vector<std::string>& expected) {
    EXPECT_TRUE(run.status.exitedWith(0)) << run.status.describe();
    EXPECT_EQ(run.standardOutput, "");
    EXPECT_EQ(run.lines, expected);
}

std::string firmwareOfSize(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = char((i * 7 + i / 256) & 0xff);
    return bytes;
}

void ModuleRig::startModule(Link link, const std::vector<std::string>& options) {
    LaunchPlan launch;
    launch.argv = {MODULE_EMULATOR, link == Link::Tcp ? "--tcp" : "--pty", "--firmware-out", work_.file("received.bin"),
        "--command-log", work_.file("commands.log")};
    launch.argv.insert(launch.argv.end(), options.begin(), options.end());
    module_ = std::make_unique<ChildProcess>(launch);
    link_ = link;

    const auto announced = module_->readLine(Deadline(5s));
    ASSERT_TRUE(announced) << "emulator announced nothing; log: " << module_->errorOutput();
    address_ = *announced;
}

std::vector<std::string> ModuleRig::connectionWords() const {
    if (link_ == Link::Serial) return {"ConnectionType=ComPort", "ComPort=" + address_};
    return {"ConnectionType=Tcp", "RemoteAddress=127.0.0.1", "RemoteSocket=" + address_};
}

void ModuleRig::setUpdaterVariable(const std::string& name, const std::string& value) {
    updaterEnvironment_.emplace_back(name, value);
}

std::string ModuleRig::writeFirmware(const std::string& name, const std::string& bytes) const {
    const std::string file = work_.file(name);
    test_support::writeFile(file, bytes);
    return file;
}

UpdaterRun ModuleRig::runUpdater(const std::vector<std::string>& words, std::chrono::milliseconds within) const {
    LaunchPlan launch;
    launch.argv = {MODULEFLASH};
    launch.argv.insert(launch.argv.end(), words.begin(), words.end());
    launch.workingDirectory = work_.path();
    launch.environment = updaterEnvironment_;

    const Deadline deadline(within);
    ChildProcess updater(launch);
    UpdaterRun run;
    run.status = updater.waitForExit(deadline);
    run.elapsed = deadline.elapsed();
    run.lines = splitLines(updater.errorOutput());
    run.standardOutput = updater.output();
    return run;
}

UpdaterRun ModuleRig::runUpdate(const std::vector<std::string>& words, std::chrono::milliseconds within) const {
    std::vector<std::string> all = connectionWords();
    all.insert(all.end(), words.begin(), words.end());
    return runUpdater(all, within);
}

void ModuleRig::expectModuleEnded() {
    ASSERT_TRUE(module_);
    const auto status = module_->waitForExit(Deadline(5s));
    EXPECT_TRUE(status.exitedWith(0)) << status.describe() << "; log: " << module_->errorOutput();
}

std::vector<std::string> ModuleRig::commandsReceived() const {
    return splitLines(test_support::readFile(work_.file("commands.log")));
}

std::string ModuleRig::firmwareReceived() const { return test_support::readFile(work_.file("received.bin")); }

std::string ModuleRig::moduleLog() { return module_ ? module_->errorOutput() : std::string(); }

}  // namespace module_e2e
