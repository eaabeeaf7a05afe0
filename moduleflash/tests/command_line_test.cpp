#include "command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct FlagCase {
    std::vector<const char*> words;
    const char* key;
    bool expected;
};

TEST(HasArgument, MatchesWholeWordsOnly) {
    const FlagCase cases[] = {
        {{"moduleflash", "FileIn=a", "ConnectionType=Tcp"}, "ConnectionType=Tcp", true},
        {{"moduleflash", "connectiontype=tcp"}, "ConnectionType=Tcp", false},
        {{"moduleflash", "ConnectionType=Tcp "}, "ConnectionType=Tcp", false},
        {{"moduleflash", "ConnectionType=Tcp"}, "ConnectionType", false},
        {{"moduleflash", "FirmwareVersionGetOnly=1"}, "FirmwareVersionGetOnly", false},
        {{"FirmwareVersionGetOnly", "ConnectionType=Tcp"}, "FirmwareVersionGetOnly", true},
        {{"moduleflash"}, "moduleflash", true},
    };
    for (const FlagCase& c : cases) {
        EXPECT_EQ(hasArgument(int(c.words.size()), c.words.data(), QString::fromLatin1(c.key)), c.expected)
            << "key " << c.key << ", second word " << (c.words.size() > 1 ? c.words[1] : "-");
    }
}

struct ValueCase {
    std::vector<const char*> words;
    const char* key;
    const char* expected;
};

TEST(ArgumentValue, FirstWordWithTheKeyGivesEverythingAfterItsFirstEquals) {
    const ValueCase cases[] = {
        {{"moduleflash", "FileIn=/a.bin", "FileIn=/b.bin"}, "FileIn", "/a.bin"},
        {{"moduleflash", "FileIn=", "FileIn=/b.bin"}, "FileIn", ""},
        {{"moduleflash", "FileIn", "FileIn=/b.bin"}, "FileIn", "/b.bin"},
        {{"moduleflash", "fileIn=/a.bin", "FileIn=/b.bin"}, "FileIn", "/b.bin"},
        {{"moduleflash", "FileIn=/fw/build=7.bin"}, "FileIn", "/fw/build=7.bin"},
        {{"moduleflash", "FileIn=a==b="}, "FileIn", "a==b="},
        {{"moduleflash", "ComPort=/dev/ttyUSB0"}, "FileIn", ""},
        {{"RemoteSocket=9", "RemoteSocket=1"}, "RemoteSocket", "9"},
        {{"moduleflash", "=x"}, "", "x"},
    };
    for (const ValueCase& c : cases) {
        EXPECT_EQ(argumentValue(int(c.words.size()), c.words.data(), QString::fromLatin1(c.key)),
            QString::fromLatin1(c.expected))
            << "key " << c.key << ", second word " << c.words[1];
    }
}

TEST(ArgumentValue, WordsAreReadAsUtf8) {
    const char* words[] = {"moduleflash", "FileIn=/fw/\xc3\xa9t\xc3\xa9.bin"};
    EXPECT_EQ(argumentValue(2, words, QStringLiteral("FileIn")), QString::fromUtf8("/fw/\xc3\xa9t\xc3\xa9.bin"));
}

}  // namespace
