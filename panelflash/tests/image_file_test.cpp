// The image pick and the image check, on real files in a temporary directory
// and with the answers typed into a pipe on standard input. Console output
// is caught in a file to check the messages byte for byte.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image_file.h"
#include "temp_dir.h"

namespace {

using test_support::TempDir;

// Runs `action` with standard output going to a file; returns what it printed.
std::string printedBy(const std::function<void()>& action) {
    char name[] = "/tmp/image_file_test_outXXXXXX";
    int capture = mkstemp(name);
    unlink(name);
    std::fflush(stdout);
    int savedOutput = dup(STDOUT_FILENO);
    dup2(capture, STDOUT_FILENO);
    action();
    dup2(savedOutput, STDOUT_FILENO);
    close(savedOutput);
    std::string text;
    char chunk[4096];
    ssize_t got;
    lseek(capture, 0, SEEK_SET);
    while ((got = read(capture, chunk, sizeof chunk)) > 0) {
        text.append(chunk, static_cast<size_t>(got));
    }
    close(capture);
    return text;
}

int lowestFreeDescriptor() {
    int probe = open("/dev/null", O_RDONLY);
    close(probe);
    return probe;
}

uint8_t bodyByte(size_t offset) { return static_cast<uint8_t>(offset * 13 + 5); }

std::vector<uint8_t> imageFile(const ModelEntry& model, size_t bodySize) {
    std::vector<uint8_t> bytes(model.header.bytes, model.header.bytes + kHeaderSize);
    for (size_t offset = 0; offset < bodySize; ++offset) {
        bytes.push_back(bodyByte(offset));
    }
    return bytes;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    std::fclose(file);
}

const ModelEntry& model(const char* name) {
    const ModelEntry* entry = selectModel(name);
    EXPECT_NE(entry, nullptr) << name;
    return *entry;
}

enum class Kind { file, directory, fifo, missing };

struct CheckCase {
    const char* label;
    const char* modelName;
    Kind kind;
    std::function<std::vector<uint8_t>()> content;
    LoadOutcome outcome;
    const char* message;  // %s stands for the path
    uint32_t imageSize;
    uint32_t hasExtension;
};

std::vector<CheckCase> checkCases() {
    const ModelEntry& fixed = model("KALDOR640");
    const ModelEntry& free = model("SKYRELAY");
    auto body = [](const ModelEntry& entry, size_t size) { return [&entry, size] { return imageFile(entry, size); }; };
    return {
        {"main body only", "KALDOR640", Kind::file, body(fixed, kMainBodySize), LoadOutcome::loaded, "", kMainBodySize,
            0},
        {"body with extension", "KALDOR640", Kind::file, body(fixed, kExtendedBodySize), LoadOutcome::loaded, "",
            kMainBodySize, 1},
        {"fixed rule, other aligned length", "KALDOR640", Kind::file, body(fixed, 0x6F000), LoadOutcome::failed,
            "Error: file error\n", 0, 0},
        {"alignment judged before the size rule", "KALDOR640", Kind::file, body(fixed, 0x6E001), LoadOutcome::failed,
            "Error: Binary not aligned 4k\n", 0, 0},
        {"fixed rule, body past the capacity", "KALDOR640", Kind::file, body(fixed, kImageCapacity + kPageSize),
            LoadOutcome::failed, "Error: file error\n", 0, 0},
        {"free rule, empty body", "SKYRELAY", Kind::file, body(free, 0), LoadOutcome::loaded, "", 0, 0},
        {"free rule, body past the capacity", "SKYRELAY", Kind::file, body(free, kImageCapacity + kPageSize),
            LoadOutcome::loaded, "", kImageCapacity, 0},
        {"image of a neighbouring model", "KALDOR640", Kind::file, body(model("KALDOR64"), kMainBodySize),
            LoadOutcome::failed, "Error: File not valid %s\n", 0, 0},
        {"maker name in lower case", "KALDOR640", Kind::file,
            [&fixed] {
                std::vector<uint8_t> bytes = imageFile(fixed, kMainBodySize);
                bytes[0] = 'n';
                return bytes;
            },
            LoadOutcome::failed, "Error: File not valid %s\n", 0, 0},
        {"31 bytes", "KALDOR640", Kind::file,
            [&fixed] { return std::vector<uint8_t>(fixed.header.bytes, fixed.header.bytes + kHeaderSize - 1); },
            LoadOutcome::failed, "Error: File not valid %s\n", 0, 0},
        {"header only, fixed rule", "KALDOR640", Kind::file, body(fixed, 0), LoadOutcome::failed, "Error: file error\n",
            0, 0},
        {"a directory", "KALDOR640", Kind::directory, nullptr, LoadOutcome::failed, "Error: Impossible open %s\n", 0,
            0},
        {"a FIFO without a writer", "KALDOR640", Kind::fifo, nullptr, LoadOutcome::failed,
            "Error: Impossible open %s\n", 0, 0},
        {"a missing file", "KALDOR640", Kind::missing, nullptr, LoadOutcome::failed, "Error: Impossible open %s\n", 0,
            0},
    };
}

TEST(ImageCheck, JudgesHeaderAlignmentAndSizeRule) {
    TempDir directory;
    for (const CheckCase& check : checkCases()) {
        SCOPED_TRACE(check.label);
        std::string path = directory.file(std::string(check.label) + ".bim");
        switch (check.kind) {
        case Kind::file: writeFile(path, check.content()); break;
        case Kind::directory: ASSERT_EQ(mkdir(path.c_str(), 0700), 0); break;
        case Kind::fifo: ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); break;
        case Kind::missing: break;
        }
        auto session = std::make_unique<PanelSession>();
        resetSession(*session);
        session->model = &model(check.modelName);
        int freeBefore = lowestFreeDescriptor();
        LoadOutcome outcome = LoadOutcome::cancelled;
        std::string printed = printedBy([&] { outcome = readImageFile(*session, path.c_str()); });

        char expected[1024];
        std::snprintf(expected, sizeof expected, check.message, path.c_str());
        EXPECT_EQ(outcome, check.outcome);
        EXPECT_EQ(printed, expected);
        EXPECT_EQ(lowestFreeDescriptor(), freeBefore) << "the image file was left open";
        if (check.outcome == LoadOutcome::loaded) {
            EXPECT_EQ(session->imageSize, check.imageSize);
            EXPECT_EQ(session->hasExtension, check.hasExtension);
        }
    }
}

TEST(ImageCheck, BodyLandsAtTheStartOfTheImageWithTheExtensionInPlace) {
    TempDir directory;
    const ModelEntry& fixed = model("KALDOR640");
    std::string path = directory.file("extended.bim");
    writeFile(path, imageFile(fixed, kExtendedBodySize));
    auto session = std::make_unique<PanelSession>();
    resetSession(*session);
    session->model = &fixed;
    ASSERT_EQ(readImageFile(*session, path.c_str()), LoadOutcome::loaded);
    for (size_t offset : {size_t{0}, size_t{kExtensionOffset}, size_t{kExtendedBodySize - 1}}) {
        EXPECT_EQ(session->image[offset], bodyByte(offset)) << "offset " << offset;
    }
}

TEST(ImageCheck, EmptyBodyLeavesTheHeaderInTheImage) {
    TempDir directory;
    const ModelEntry& free = model("MISTGUARD");
    std::string path = directory.file("empty.bim");
    writeFile(path, imageFile(free, 0));
    auto session = std::make_unique<PanelSession>();
    resetSession(*session);
    session->model = &free;
    ASSERT_EQ(readImageFile(*session, path.c_str()), LoadOutcome::loaded);
    EXPECT_EQ(std::memcmp(session->image, free.header.bytes, kHeaderSize), 0);
    EXPECT_EQ(session->image[kHeaderSize], 0);
}

// The pick runs in a directory of two images, a text file and a directory
// whose name ends in .bim, with the answers on standard input.
class ImagePick : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(directory_.file("b.bim"), {1});
        writeFile(directory_.file("a.bim"), {1});
        writeFile(directory_.file("notes.txt"), {1});
        ASSERT_EQ(mkdir(directory_.file("folder.bim").c_str(), 0700), 0);
        savedDirectory_ = open(".", O_RDONLY | O_DIRECTORY);
        ASSERT_EQ(chdir(directory_.path().c_str()), 0);
        savedInput_ = dup(STDIN_FILENO);
    }

    void TearDown() override {
        dup2(savedInput_, STDIN_FILENO);
        close(savedInput_);
        EXPECT_EQ(fchdir(savedDirectory_), 0);
        close(savedDirectory_);
    }

    // Picks with `answers` as the whole of standard input.
    PickOutcome pickWith(const std::string& answers, std::string& path, std::string& printed) {
        int ends[2];
        EXPECT_EQ(pipe(ends), 0);
        EXPECT_EQ(write(ends[1], answers.data(), answers.size()), static_cast<ssize_t>(answers.size()));
        close(ends[1]);
        dup2(ends[0], STDIN_FILENO);
        close(ends[0]);
        platformInitConsole();
        PickOutcome outcome = PickOutcome::cancelled;
        printed = printedBy([&] { outcome = pickImageFile(path); });
        return outcome;
    }

    TempDir directory_;
    int savedDirectory_ = -1;
    int savedInput_ = -1;
};

TEST_F(ImagePick, ListsOnlyTheImagesInNameOrder) {
    std::string path;
    std::string printed;
    ASSERT_EQ(pickWith("2\n", path, printed), PickOutcome::picked);
    EXPECT_EQ(path, "b.bim");
    EXPECT_EQ(printed.rfind("File disponibili / Available files:\n  1  a.bim\n  2  b.bim\n", 0), 0u) << printed;
    EXPECT_EQ(printed.find("notes.txt"), std::string::npos);
    EXPECT_EQ(printed.find("folder.bim"), std::string::npos);
}

TEST_F(ImagePick, AnswersAndTheirOutcomes) {
    const std::string longestPath(kMaxPickedPathLength, 'p');
    struct Answer {
        const char* label;
        std::string typed;
        PickOutcome outcome;
        std::string path;
        const char* refusal;  // printed once before the pick, or empty
    };
    const Answer answers[] = {
        {"number", "1\n", PickOutcome::picked, "a.bim", ""},
        {"number out of range, then asked again", "3\n0\n1\n", PickOutcome::picked, "a.bim",
            "Numero non valido / Invalid number\n"},
        {"path with a blank and CR LF", "my firmware.bim\r\n", PickOutcome::picked, "my firmware.bim", ""},
        {"path of 255 characters", longestPath + "\n", PickOutcome::picked, longestPath, ""},
        {"path of 256 characters, then asked again", longestPath + "q\n2\n", PickOutcome::picked, "b.bim",
            "Percorso troppo lungo (max 255) / Path too long (max 255)\n"},
        {"empty line", "\n1\n", PickOutcome::cancelled, "", ""},
        {"end of input", "", PickOutcome::cancelled, "", ""},
        {"end of input after a refusal", "9", PickOutcome::cancelled, "", "Numero non valido / Invalid number\n"},
    };
    for (const Answer& answer : answers) {
        SCOPED_TRACE(answer.label);
        std::string path;
        std::string printed;
        EXPECT_EQ(pickWith(answer.typed, path, printed), answer.outcome);
        if (answer.outcome == PickOutcome::picked) {
            EXPECT_EQ(path, answer.path);
        }
        std::string refusal = answer.refusal;
        if (!refusal.empty()) {
            EXPECT_NE(printed.find(refusal), std::string::npos) << printed;
        }
    }
}

}  // namespace
