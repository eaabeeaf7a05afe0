#include "captured_log.h"
#include "result_log.h"

#include <gtest/gtest.h>

namespace {

TEST(ResultLineText, JoinsStepValueAndMessageWithBars) {
    struct Case {
        ResultStep step;
        int value;
        const char* message;
        const char* expected;
    };
    const Case cases[] = {
        {ResultStep::uploadInitialise, 0, "Firmware upload initialized correctly",
            "5|0|Firmware upload initialized correctly"},
        {ResultStep::connection, -1, "Connection error!!!", "0|-1|Connection error!!!"},
        {ResultStep::firmwarePacket, 0, "Firmware packet sent, remaining: 0", "6|0|Firmware packet sent, remaining: 0"},
        {ResultStep::firmwarePacket, 1976, "a|b", "6|1976|a|b"},
        {ResultStep::firmwareFile, -1, "", "1|-1|"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(resultLineText(c.step, c.value, QString::fromLatin1(c.message)), QString::fromLatin1(c.expected));
}

// What reaches the message handler is the debug stream's quoted form: one
// line whatever the module put in the message.
TEST(LogResult, WritesOneQuotedEscapedDebugLine) {
    struct Case {
        const char* message;
        const char* written;
    };
    const Case cases[] = {
        {"Serial port open", R"("0|0|Serial port open")"},
        {"reply OK\nOK", R"("0|0|reply OK\nOK")"},
        {"say \"hi\"", R"("0|0|say \"hi\"")"},
        {"back\\slash", R"("0|0|back\\slash")"},
        {"tab\there", R"("0|0|tab\there")"},
    };
    for (const Case& c : cases) {
        CapturedLog log;
        logResult(ResultStep::connection, 0, QString::fromLatin1(c.message));
        EXPECT_EQ(log.lines(), QStringList{QString::fromLatin1(c.written)});
        EXPECT_TRUE(log.allDebugMessages());
    }
}

}  // namespace
