#include "text_escape.h"

namespace module_emulator {

namespace {
int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

std::optional<std::string> decodeEscapes(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case '\\': out += '\\'; break;
        case 'x': {
            if (i + 2 >= text.size()) return std::nullopt;
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high < 0 || low < 0) return std::nullopt;
            out += char(high * 16 + low);
            i += 2;
            break;
        }
        default: return std::nullopt;
        }
    }
    return out;
}

std::string encodeEscapes(std::string_view bytes) {
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (byte >= 0x20 && byte < 0x7f) {
                out += c;
            } else {
                out += "\\x";
                out += hex[byte >> 4];
                out += hex[byte & 0xf];
            }
        }
    }
    return out;
}

}  // namespace module_emulator
