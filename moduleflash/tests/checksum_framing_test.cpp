#include "captured_log.h"
#include "command_exchange.h"

#include <gtest/gtest.h>

namespace {

TEST(AppendChecksum, AppendsTheByteSumModulo256AsThreeDigits) {
    struct Case {
        QByteArray input;
        QByteArray expected;
    };
    const Case cases[] = {
        {"", "000"}, {"abc", "abc038"}, {"OK", "OK154"}, {"atFirmwareVersionGet", "atFirmwareVersionGet024"},
        {"\x80\x80",
            "\x80\x80"
            "000"},  // the sum wraps to a multiple of 256
        {"\xff",
            "\xff"
            "255"},  // bytes count as unsigned
    };
    for (const Case& c : cases) {
        QByteArray framed = c.input;
        appendChecksum(framed);
        EXPECT_EQ(framed, c.expected) << c.input.toHex().constData();
    }
}

struct ReplyCase {
    bool mode;
    QByteArray reply;
    bool expected;
    QByteArray left;     // the buffer after the call
    QStringList logged;  // as written by the debug stream
};

void expectReplyCase(bool (*judge)(QByteArray&), const ReplyCase& c) {
    setChecksumMode(c.mode);
    QByteArray reply = c.reply;
    CapturedLog log;
    EXPECT_EQ(judge(reply), c.expected) << c.reply.toHex().constData();
    EXPECT_EQ(reply, c.left) << c.reply.toHex().constData();
    EXPECT_EQ(log.lines(), c.logged) << c.reply.toHex().constData();
    setChecksumMode(false);
}

TEST(VerifyChecksum, StripsMatchingDigitsAndReportsAMismatch) {
    const ReplyCase cases[] = {
        {true, "OK154\n", true, "OK", {}},
        {true, "OK154", true, "OK", {}},
        {true, "000\n", true, "", {}},
        {true,
            "\xff\xff"
            "254\n",
            true, "\xff\xff", {}},
        {true, "OK\n", false, "OK", {}},
        {true, "OK155\n", false, "OK155", {R"("7|0|Binary parse, Crc ERROR, crc is: 155, should be: 154")"}},
        // The carriage return becomes the last checksum character.
        {true, "OK154\r\n", false, "OK154\r", {R"("7|0|Binary parse, Crc ERROR, crc is: 54\r, should be: 203")"}},
        // Characters that are no number count as 0, and a "%1" among them is shown as sent.
        {true, "OK%1\n", false, "OK%1", {R"("7|0|Binary parse, Crc ERROR, crc is: K%1, should be: 79")"}},
    };
    for (const ReplyCase& c : cases) expectReplyCase(verifyChecksum, c);
}

TEST(IsOkReply, AcceptsOnlyATrimmedOkAndInChecksumModeItsChecksum) {
    const ReplyCase cases[] = {
        {false, "OK\n", true, "OK\n", {}},
        {false, " OK \r\n", true, " OK \r\n", {}},
        {false, "ok\n", false, "ok\n", {}},
        {false, "OK\nOK\n", false, "OK\nOK\n", {}},
        {false, "OK154\n", false, "OK154\n", {}},
        {true, "OK154\n", true, "OK", {}},
        {true, " OK 218\n", true, " OK ", {}},
        {true, "OK\n", false, "OK", {}},
        {true, "OK", false, "OK", {}},
        {true, "OK155\n", false, "OK155", {R"("7|0|Binary parse, Crc ERROR, crc is: 155, should be: 154")"}},
        {true, "OK154\r\n", false, "OK154\r", {R"("7|0|Binary parse, Crc ERROR, crc is: 54\r, should be: 203")"}},
        {true, "000\n", false, "", {}},
    };
    for (const ReplyCase& c : cases) expectReplyCase(isOkReply, c);
}

}  // namespace
