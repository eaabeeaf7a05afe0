// Looks keys up in arbitrary command lines. The input is split at its zero
// bytes into words; the first word is the key, the others form the argument
// vector. hasArgument is true exactly when a whole word equals the key. A
// value found by argumentValue is what follows the first "=" of the first
// word whose part before that "=" is the key; a key that itself holds an "="
// is never found.
#include "command_line.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// The index of the first word that carries the key, or -1.
int firstWordWithKey(const std::vector<QString> &words, const QString &key)
{
    for (size_t index = 0; index < words.size(); ++index) {
        const int separator = words[index].indexOf(QLatin1Char('='));
        if (separator >= 0 && words[index].left(separator) == key)
            return int(index);
    }
    return -1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<std::string> pieces(1);
    for (size_t index = 0; index < size; ++index) {
        if (data[index] == 0)
            pieces.emplace_back();
        else
            pieces.back().push_back(char(data[index]));
    }
    const QString key = QString::fromUtf8(pieces.front().c_str());
    std::vector<const char *> argv;
    std::vector<QString> words;
    for (size_t index = 1; index < pieces.size(); ++index) {
        argv.push_back(pieces[index].c_str());
        words.push_back(QString::fromUtf8(pieces[index].c_str()));
    }
    const int argc = int(argv.size());

    bool wholeWord = false;
    for (const QString &word : words)
        wholeWord = wholeWord || word == key;
    require(hasArgument(argc, argv.data(), key) == wholeWord);

    const QString value = argumentValue(argc, argv.data(), key);
    const int carrier = firstWordWithKey(words, key);
    if (carrier < 0) {
        require(value.isEmpty());
    } else {
        const QString &word = words[size_t(carrier)];
        require(word.endsWith(value) && word.size() == key.size() + 1 + value.size());
    }
    if (key.contains(QLatin1Char('=')))
        require(value.isEmpty());
    return 0;
}
