// Checks replies of arbitrary bytes with verifyChecksum and isOkReply, with
// checksum mode off and on, against verdicts worked out here on the bytes,
// independently of the code under test. A checksum of three decimal digits
// is accepted exactly when their number is the byte sum of what precedes
// them, modulo 256; three characters that are not all digits can be accepted
// only when the sum is 0 (a text that is no number counts as 0) or when the
// digits among them give the sum and the rest are blanks or a sign, as a
// lenient number reading allows; only an accepted checksum is
// stripped, and a rejected reply loses its final line feed and nothing else.
// A reply is "OK" when, cut at its first zero byte and trimmed of ASCII white
// space, it reads OK; with other bytes around it, only bytes that can be
// part of a Unicode blank may stand beside OK. With the mode off isOkReply
// leaves the reply alone. A command framed by appendChecksum and ended by a
// line feed always verifies back to itself.
#include "command_exchange.h"
#include "quiet_log.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

bool isDigit(char byte) { return byte >= '0' && byte <= '9'; }

bool isAsciiBlank(char byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }

// ASCII blanks, and any byte of a multi-byte UTF-8 sequence (some of which
// are Unicode blanks).
bool mayBeBlank(char byte) { return isAsciiBlank(byte) || quint8(byte) >= 0x80; }

int byteSumModulo256(const QByteArray& bytes) {
    int sum = 0;
    for (char byte : bytes) sum += quint8(byte);
    return sum % 256;
}

QByteArray withoutFinalLineFeed(const QByteArray& reply) {
    return reply.endsWith('\n') ? reply.left(reply.size() - 1) : reply;
}

// Whether the body's checksum must be accepted; none when only a lenient
// number reading could accept it, which `lenientlyMatches` bounds.
std::optional<bool> checksumVerdict(const QByteArray& body) {
    if (body.size() < 3) return false;
    const QByteArray digits = body.right(3);
    if (!isDigit(digits[0]) || !isDigit(digits[1]) || !isDigit(digits[2])) return std::nullopt;
    const int number = (digits[0] - '0') * 100 + (digits[1] - '0') * 10 + (digits[2] - '0');
    return number == byteSumModulo256(body.left(body.size() - 3));
}

bool lenientlyMatches(const QByteArray& body) {
    const QByteArray characters = body.right(3);
    const int sum = byteSumModulo256(body.left(body.size() - 3));
    int number = 0;
    bool anyDigit = false;
    bool minus = false;
    if (sum == 0) return true;
    for (char byte : characters) {
        if (isDigit(byte)) {
            number = number * 10 + (byte - '0');
            anyDigit = true;
        } else if (byte == '-') {
            minus = true;
        } else if (byte != '+' && !isAsciiBlank(byte) && quint8(byte) != 0x85 && quint8(byte) != 0xa0) {
            return false;
        }
    }
    return anyDigit && number == sum && !minus;
}

// Whether the reply reads "OK"; none when bytes that may be Unicode blanks
// stand beside an OK.
std::optional<bool> okVerdict(const QByteArray& reply) {
    const int zero = reply.indexOf('\0');
    const QByteArray text = zero < 0 ? reply : reply.left(zero);
    int first = 0;
    int last = text.size();
    while (first < last && isAsciiBlank(text[first])) ++first;
    while (last > first && isAsciiBlank(text[last - 1])) --last;
    if (text.mid(first, last - first) == "OK") return true;
    const int ok = text.indexOf("OK");
    if (ok < 0) return false;
    for (int index = 0; index < text.size(); ++index) {
        if ((index < ok || index >= ok + 2) && !mayBeBlank(text[index])) return false;
    }
    return std::nullopt;
}

// The body's checksum is judged by verifyChecksum; checks the judgement and
// returns what is left of the body.
QByteArray checkVerdict(bool accepted, const QByteArray& body, const QByteArray& left) {
    const std::optional<bool> verdict = checksumVerdict(body);
    if (verdict)
        require(accepted == *verdict);
    else if (accepted)
        require(lenientlyMatches(body));
    const QByteArray expectedLeft = accepted ? body.left(body.size() - 3) : body;
    require(left == expectedLeft);
    return expectedLeft;
}

void checkVerify(const QByteArray& original) {
    QByteArray reply = original;
    checkVerdict(verifyChecksum(reply), withoutFinalLineFeed(original), reply);
}

void checkOkReply(const QByteArray& original) {
    setChecksumMode(false);
    QByteArray plain = original;
    const bool plainOk = isOkReply(plain);
    require(plain == original);
    const std::optional<bool> plainVerdict = okVerdict(original);
    require(!plainVerdict || plainOk == *plainVerdict);

    setChecksumMode(true);
    QByteArray framed = original;
    const bool framedOk = isOkReply(framed);
    setChecksumMode(false);
    if (original.size() < 3) {
        require(!framedOk && framed == original);
        return;
    }
    // isOkReply checks the checksum first and judges what is left.
    QByteArray verified = original;
    const bool accepted = verifyChecksum(verified);
    const QByteArray left = checkVerdict(accepted, withoutFinalLineFeed(original), verified);
    require(framed == left);
    const std::optional<bool> framedVerdict = okVerdict(left);
    if (!accepted)
        require(!framedOk);
    else if (framedVerdict)
        require(framedOk == *framedVerdict);
}

void checkRoundTrip(const QByteArray& command) {
    QByteArray framed = command;
    appendChecksum(framed);
    const int sum = byteSumModulo256(command);
    const char digits[] = {char('0' + sum / 100), char('0' + sum / 10 % 10), char('0' + sum % 10), '\0'};
    require(framed == command + digits);
    framed.append('\n');
    require(verifyChecksum(framed) && framed == command);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceResultLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), int(size));
    checkVerify(input);
    checkOkReply(input);
    checkRoundTrip(input);
    return 0;
}
