// Looks keys up in arbitrary command lines. The input is split at its zero
// bytes into words; the first word is the key, the others form the argument
// vector. The expected answers are worked out on bytes, independently of the
// lookups: each word and the key are first brought to the form in which the
// program reads them (UTF-8 as Qt decodes it, so that a byte that is no UTF-8
// counts as the replacement character), then a flag is present exactly when a
// whole word equals the key, and a key's value is the rest of the first word
// that begins with the key and "="; a key that itself holds an "=" is never
// found, since a word is cut at its first "=".
#include "command_line.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

// The bytes of the text the program makes of these bytes.
std::string asRead(const std::string& bytes) { return QString::fromUtf8(bytes.c_str()).toUtf8().toStdString(); }

std::optional<std::string> expectedValue(const std::vector<std::string>& words, const std::string& key) {
    if (key.find('=') != std::string::npos) return std::nullopt;
    const std::string prefix = key + '=';
    for (const std::string& word : words) {
        if (word.compare(0, prefix.size(), prefix) == 0) return word.substr(prefix.size());
    }
    return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> pieces(1);
    for (size_t index = 0; index < size; ++index) {
        if (data[index] == 0)
            pieces.emplace_back();
        else
            pieces.back().push_back(char(data[index]));
    }
    const std::string key = asRead(pieces.front());
    std::vector<const char*> argv;
    std::vector<std::string> words;
    for (size_t index = 1; index < pieces.size(); ++index) {
        argv.push_back(pieces[index].c_str());
        words.push_back(asRead(pieces[index]));
    }
    const int argc = int(argv.size());
    const QString keyText = QString::fromUtf8(pieces.front().c_str());

    bool wholeWord = false;
    for (const std::string& word : words) wholeWord = wholeWord || word == key;
    require(hasArgument(argc, argv.data(), keyText) == wholeWord);

    const QString value = argumentValue(argc, argv.data(), keyText);
    const std::optional<std::string> expected = expectedValue(words, key);
    require(value.toUtf8().toStdString() == expected.value_or(std::string()));
    return 0;
}
