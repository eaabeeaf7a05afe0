#include "module_protocol.h"

#include <gtest/gtest.h>

#include "checksum.h"

using namespace module_emulator;

namespace {
Command text(const std::string& bytes) { return Command{bytes, false, false}; }
Command checksummed(const std::string& bytes) { return text(bytes + checksumDigits(byteSum(bytes))); }
Command chunk(const std::string& data) { return Command{data + checksumDigits(byteSum(data)), true, false}; }

void expectReply(const Outcome& outcome, const std::string& textWanted, bool checksummedWanted) {
    EXPECT_EQ(outcome.reply.text, textWanted);
    EXPECT_EQ(outcome.reply.checksummed, checksummedWanted);
}
}  // namespace

TEST(ModuleProtocol, PlainStartThenChecksummedUploadReassemblesFirmware) {
    ModuleProtocol module(ModuleConfig{"WL-9", false, false});
    expectReply(module.handle(text("atFirmwareVersionGet")), "WL-9", false);
    expectReply(module.handle(text("atCrcEnabledSet=true")), "OK", true);
    expectReply(module.handle(checksummed("atOTAFirmwareInitialize")), "OK", true);

    const std::string first("\n\x00\xff", 3);
    Outcome size = module.handle(checksummed("atOTAFirmwareBufferSet=3"));
    expectReply(size, "OK", true);
    EXPECT_EQ(size.rawChunkLength, 3u + 3u);
    expectReply(module.handle(chunk(first)), "OK", true);
    EXPECT_EQ(module.handle(checksummed("atOTAFirmwareBufferSet=2")).rawChunkLength, 5u);
    expectReply(module.handle(chunk("z!")), "OK", true);

    const Outcome end = module.handle(checksummed("atOTAFirmwareEnd"));
    expectReply(end, "OK", true);
    EXPECT_TRUE(end.firmwareEnded);
    EXPECT_EQ(module.firmware(), first + "z!");
    expectReply(module.handle(checksummed("atRestartSet")), "OK", true);
}

TEST(ModuleProtocol, ChecksumRequiredModuleRefusesPlainCommandsInPlainFraming) {
    ModuleProtocol module(ModuleConfig{"WL-9", true, false});
    // Unchecksummed, so an updater still in plain mode can recognise it.
    expectReply(module.handle(text("atFirmwareVersionGet")), "ERROR138", false);
    EXPECT_EQ(checksummed("atFirmwareVersionGet").bytes, "atFirmwareVersionGet024");
    expectReply(module.handle(checksummed("atFirmwareVersionGet")), "WL-9", true);
    expectReply(module.handle(text("atFirmwareVersionGet025")), error_reply::checksumMismatch, true);
}

TEST(ModuleProtocol, RefusesWrongOrderBadSizesAndBadChunks) {
    ModuleProtocol module(ModuleConfig{"v", true, false});
    expectReply(module.handle(checksummed("atOTAFirmwareBufferSet=4")), error_reply::outOfOrder, true);
    expectReply(module.handle(checksummed("atOTAFirmwareEnd")), error_reply::outOfOrder, true);
    expectReply(module.handle(checksummed("atFirmwareVersionGetX")), error_reply::unknownCommand, true);
    expectReply(module.handle(Command{"x", false, true}), error_reply::lineTooLong, true);

    module.handle(checksummed("atOTAFirmwareInitialize"));
    for (const char* size : {"", "0", "012", "4a", "65537", "-1", "99999999"}) {
        const Outcome refused = module.handle(checksummed(std::string("atOTAFirmwareBufferSet=") + size));
        EXPECT_EQ(refused.reply.text, error_reply::badBufferSize) << size;
        EXPECT_FALSE(refused.rawChunkLength) << size;
    }
    EXPECT_EQ(module.handle(checksummed("atOTAFirmwareBufferSet=65536")).rawChunkLength, 65539u);

    module.handle(checksummed("atOTAFirmwareBufferSet=2"));
    expectReply(module.handle(Command{"ab000", true, false}), error_reply::checksumMismatch, true);
    EXPECT_EQ(module.firmware(), "");
}

TEST(ModuleProtocol, PlainCrcOkConfirmsWithoutChecksum) {
    ModuleProtocol module(ModuleConfig{"v", false, true});
    expectReply(module.handle(text("atCrcEnabledSet=true")), "OK", false);
    EXPECT_TRUE(module.checksumMode());
}
