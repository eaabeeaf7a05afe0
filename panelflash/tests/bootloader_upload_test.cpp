#include "bootloader_upload.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "session_fixture.h"

namespace {

using Frame = std::vector<uint8_t>;

constexpr uint8_t kSyncCommand = 0x00, kIdentifyCommand = 0x01, kDataCommand = 0x06;
constexpr uint8_t kEraseCommand = 0x0A, kWriteCommand = 0x0B;
constexpr size_t kReceivedPerPage = 69 * 60;

// What a bootloader's flash would hold after the frames: the bytes received
// for each written device page (4096 of the page and the 44 after it), the
// order of the writes and the erased sectors.
struct Flash {
    std::map<uint32_t, Frame> received;
    std::vector<uint32_t> writeOrder;
    std::vector<uint32_t> erasedSectors;
};

Flash replayFrames(const std::vector<Frame>& frames) {
    Flash flash;
    Frame pending;
    for (const Frame& frame : frames) {
        switch (frame[0]) {
        case kDataCommand:
            EXPECT_EQ(frame.size(), 63u);
            EXPECT_EQ(frame[2], pending.size() / 60) << "packet number";
            pending.insert(pending.end(), frame.begin() + 3, frame.end());
            break;
        case kEraseCommand: flash.erasedSectors.push_back(frame[2]); break;
        case kWriteCommand: {
            EXPECT_EQ(pending.size(), kReceivedPerPage);
            uint32_t page = kSectorMap[frame[2]].firstPage + frame[3];
            flash.received[page] = pending;
            flash.writeOrder.push_back(page);
            pending.clear();
            break;
        }
        }
    }
    return flash;
}

Frame imageBytes(const PanelSession& session, uint32_t offset, uint32_t length) {
    return Frame(session.image + offset, session.image + offset + length);
}

enum class Misbehaviour { none, refuse, stayQuiet, answerShort, hangUp };

// A bootloader that answers every frame with {0, sequence, status}: the
// reported hardware code for Identify, 0 (accepted) for everything else, and
// misbehaves once at the frame numbered `oddFrame` when asked to.
class BootloaderUploadTest : public testing::Test {
protected:
    void start(const char* modelName, uint32_t bodySize) {
        session = newSession(modelName);
        session->imageSize = bodySize;
        reportedCode = session->model->hardwareCode;
        memoryPlatform().peer = [this](const uint8_t* data, size_t length) { answer(Frame(data, data + length)); };
    }

    void answer(const Frame& frame) {
        frames.push_back(frame);
        uint8_t status = frame[0] == kIdentifyCommand ? reportedCode : 0x00;
        if (frames.size() - 1 != oddFrame) {
            memoryPlatform().reply({0x00, frame[1], status});
            return;
        }
        switch (misbehaviour) {
        case Misbehaviour::none: memoryPlatform().reply({0x00, frame[1], status}); break;
        case Misbehaviour::refuse: memoryPlatform().reply({0x00, frame[1], 0x01}); break;
        case Misbehaviour::stayQuiet: break;
        case Misbehaviour::answerShort: memoryPlatform().reply({0xAB}); break;
        case Misbehaviour::hangUp: memoryPlatform().hungUp = true; break;
        }
    }

    size_t countOf(uint8_t command) const {
        size_t count = 0;
        for (const Frame& frame : frames) {
            count += frame[0] == command;
        }
        return count;
    }

    std::unique_ptr<PanelSession> session;
    std::vector<Frame> frames;
    uint8_t reportedCode = 0;
    size_t oddFrame = SIZE_MAX;
    Misbehaviour misbehaviour = Misbehaviour::none;
};

TEST(BootReplyJudge, StatusOneRefusesAndOnlyIdentifyChecksTheHardware) {
    constexpr uint8_t kKaldor32 = 0x24;
    struct {
        const char* name;
        bool readOk;
        uint8_t status;
        bool identification;
        BootReply verdict;
    } cases[] = {
        {"failed read", false, 0x00, false, BootReply::refused},
        {"status 1", true, 0x01, false, BootReply::refused},
        {"status 0", true, 0x00, false, BootReply::accepted},
        {"status 2", true, 0x02, false, BootReply::accepted},
        {"status FF", true, 0xFF, false, BootReply::accepted},
        {"a hardware code outside Identify", true, 0x10, false, BootReply::accepted},
        {"Identify, failed read", false, kKaldor32, true, BootReply::refused},
        {"Identify, status 1", true, 0x01, true, BootReply::refused},
        {"Identify, the chosen code", true, kKaldor32, true, BootReply::accepted},
        {"Identify, the code of the model's later board", true, 0x44, true, BootReply::accepted},
        {"Identify, another model's code", true, 0x10, true, BootReply::wrongHardware},
        {"Identify, an unknown code", true, 0x00, true, BootReply::wrongHardware},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(judgeBootReply(c.readOk, c.status, c.identification, kKaldor32), c.verdict);
    }
}

TEST(SectorMap, FirstPagesAndSizesCoverPages0To125) {
    uint32_t nextPage = 0;
    for (uint32_t row = 0; row < kSectorCount; ++row) {
        SCOPED_TRACE(row);
        uint32_t expectedPages = row >= 8 && row <= 21 ? 8 : 1;
        EXPECT_EQ(kSectorMap[row].firstPage, nextPage);
        EXPECT_EQ(kSectorMap[row].pageCount, expectedPages);
        nextPage += expectedPages;
    }
    EXPECT_EQ(nextPage, 126u);
}

TEST_F(BootloaderUploadTest, MainBodyGoesOutPageByPageWithTheFirstPageLast) {
    start("KALDOR640", kMainBodySize);
    fillImage(*session);

    runBootloaderUpload(*session);

    EXPECT_EQ(session->failFlag, 0u);
    EXPECT_EQ(session->stopFlag, 1u);
    ASSERT_EQ(frames.size(), 7725u);
    EXPECT_EQ(countOf(kSyncCommand), 5u);
    EXPECT_EQ(countOf(kIdentifyCommand), 1u);
    EXPECT_EQ(countOf(kDataCommand), 7590u);
    EXPECT_EQ(countOf(kEraseCommand), 19u);
    EXPECT_EQ(countOf(kWriteCommand), 110u);
    for (size_t i = 0; i < frames.size(); ++i) {
        ASSERT_EQ(frames[i][1], i % 256) << "sequence byte of frame " << i;
    }

    Flash flash = replayFrames(frames);
    std::vector<uint32_t> expectedOrder, expectedErases;
    for (uint32_t page = 3; page <= 111; ++page) {
        expectedOrder.push_back(page);
    }
    expectedOrder.push_back(2);
    for (uint32_t sector = 3; sector <= 20; ++sector) {
        expectedErases.push_back(sector);
    }
    expectedErases.push_back(2);
    EXPECT_EQ(flash.writeOrder, expectedOrder);
    EXPECT_EQ(flash.erasedSectors, expectedErases);
    for (uint32_t imagePage = 0; imagePage < 110; ++imagePage) {
        ASSERT_EQ(flash.received[imagePage + 2], imageBytes(*session, imagePage * kPageSize, kReceivedPerPage))
            << "image page " << imagePage;
    }

    // Device page 9 lies inside sector 8: no Erase between its data and its Write.
    size_t pageNineWrite = 6 + 6 * 71 + 69;  // pages 3 to 8 each begin a sector
    EXPECT_EQ(frames[pageNineWrite - 1][0], kDataCommand);
    EXPECT_EQ(frames[pageNineWrite], (Frame{kWriteCommand, uint8_t(pageNineWrite), 8, 1}));
}

TEST_F(BootloaderUploadTest, LastPageOfTheMainBodyCarriesTheBytesAfterIt) {
    for (bool withExtension : {true, false}) {
        SCOPED_TRACE(withExtension ? "extension" : "no extension");
        frames.clear();
        start("KALDOR640", kMainBodySize);
        fillImage(*session);
        if (!withExtension) {
            std::memset(session->image + kMainBodySize, 0, kImageCapacity - kMainBodySize);
        }

        runBootloaderUpload(*session);

        Frame lastPacket = replayFrames(frames).received[111];
        lastPacket.erase(lastPacket.begin(), lastPacket.begin() + kReceivedPerPage - 60);
        Frame expected = imageBytes(*session, kMainBodySize - 16, 16);
        Frame after = withExtension ? imageBytes(*session, kExtensionOffset, 44) : Frame(44, 0x00);
        expected.insert(expected.end(), after.begin(), after.end());
        EXPECT_EQ(lastPacket, expected);
    }
}

TEST_F(BootloaderUploadTest, OnePageBodyWritesDevicePage3FromTheZerosAfterIt) {
    start("KALDOR640", kPageSize);
    fillImage(*session);
    std::memset(session->image + kPageSize, 0, kImageCapacity - kPageSize);

    runBootloaderUpload(*session);

    EXPECT_EQ(session->failFlag, 0u);
    ASSERT_EQ(frames.size(), 148u);
    Flash flash = replayFrames(frames);
    EXPECT_EQ(flash.writeOrder, (std::vector<uint32_t>{3, 2}));
    EXPECT_EQ(flash.erasedSectors, (std::vector<uint32_t>{3, 2}));
    EXPECT_EQ(flash.received[3], Frame(kReceivedPerPage, 0x00));
    EXPECT_EQ(flash.received[2], imageBytes(*session, 0, kReceivedPerPage));
}

TEST_F(BootloaderUploadTest, FullBufferBodyEndsItsLastPageWithZeros) {
    start("SKYRELAY", kImageCapacity);
    fillImage(*session);

    runBootloaderUpload(*session);

    EXPECT_EQ(session->failFlag, 0u);
    Flash flash = replayFrames(frames);
    EXPECT_EQ(flash.writeOrder.back(), 2u);
    Frame expected = imageBytes(*session, kImageCapacity - kPageSize, kPageSize);
    expected.resize(kReceivedPerPage, 0x00);
    EXPECT_EQ(flash.received[129], expected);
}

TEST_F(BootloaderUploadTest, TraceShowsEachExchangeOnOneLineInTwoPieces) {
    start("KALDOR640", kPageSize);

    runBootloaderUpload(*session);

    const std::string expectedStart =
        "00 00 -- 00 00 00\n"
        "00 01 -- 00 01 00\n"
        "00 02 -- 00 02 00\n"
        "00 03 -- 00 03 00\n"
        "00 04 -- 00 04 00\n"
        "01 05 -- 00 05 10\n"
        "06 06 00 00 00 -- 00 06 00\n";
    EXPECT_EQ(memoryPlatform().console.substr(0, expectedStart.size()), expectedStart);
    EXPECT_EQ(memoryPlatform().consoleWrites, 2 * frames.size());
}

TEST_F(BootloaderUploadTest, HowThePhaseEnds) {
    // A one-page body: frames 0-4 Sync, 5 Identify, 6-74 Data, 75 Erase,
    // 76 Write, 77-145 Data of image page 0, 146 Erase, 147 the final Write.
    struct {
        const char* name;
        const char* modelName;
        uint8_t reportedCode;
        size_t oddFrame;
        Misbehaviour misbehaviour;
        size_t keyAfterWrite;
        size_t framesSent;
        uint32_t stopFlag;
        uint32_t failFlag;
        std::string consoleEnd;
    } cases[] = {
        {"refused Identify", "KALDOR640", 0x10, 5, Misbehaviour::refuse, 0, 6, 1, 1, "01 05 -- 00 05 01\nFAIL -- "},
        {"wrong hardware", "KALDOR640", 0x20, SIZE_MAX, Misbehaviour::none, 0, 6, 1, 1,
            "01 05 -- 00 05 20\n\n\nERROR : INVALID HARDWARE\n\tSelected file is for KALDOR640\n"
            "Target hardware identified is TORVANEXUS640\n"},
        {"KALDOR32B panel takes the KALDOR32 image", "KALDOR32", 0x44, SIZE_MAX, Misbehaviour::none, 0, 148, 1, 0,
            "0B 93 02 00 -- 00 93 00\n"},
        {"refused Data", "KALDOR640", 0x10, 10, Misbehaviour::refuse, 0, 11, 1, 1, "00 0A 01\nFAIL -- "},
        {"short reply", "KALDOR640", 0x10, 10, Misbehaviour::answerShort, 0, 11, 1, 1, "-- AB 00 00\nFAIL -- "},
        {"line dropped", "KALDOR640", 0x10, 10, Misbehaviour::hangUp, 0, 11, 1, 1, "-- 00 00 00\nFAIL -- "},
        {"refused final Write", "KALDOR640", 0x10, 147, Misbehaviour::refuse, 0, 148, 1, 1, "00 93 01\nFAIL -- "},
        {"silent final Write", "KALDOR640", 0x10, 147, Misbehaviour::stayQuiet, 0, 148, 1, 1,
            "0B 93 02 00 -- 00 00 00\nFAIL -- "},
        {"key before identification", "KALDOR640", 0x10, SIZE_MAX, Misbehaviour::none, 3, 3, 0, 1,
            "00 02 -- 00 02 00\n"},
        {"key mid-upload", "KALDOR640", 0x10, SIZE_MAX, Misbehaviour::none, 20, 20, 0, 1, "-- 00 13 00\n"},
        {"key after the final Write", "KALDOR640", 0x10, SIZE_MAX, Misbehaviour::none, 148, 148, 1, 0, "-- 00 93 00\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        frames.clear();
        start(c.modelName, kPageSize);
        reportedCode = c.reportedCode;
        oddFrame = c.oddFrame;
        misbehaviour = c.misbehaviour;
        memoryPlatform().keyAfterWrite = c.keyAfterWrite;

        runBootloaderUpload(*session);

        EXPECT_EQ(frames.size(), c.framesSent);
        EXPECT_EQ(session->stopFlag, c.stopFlag);
        EXPECT_EQ(session->failFlag, c.failFlag);
        const std::string& console = memoryPlatform().console;
        ASSERT_GE(console.size(), c.consoleEnd.size());
        EXPECT_EQ(console.substr(console.size() - c.consoleEnd.size()), c.consoleEnd);
        if (c.keyAfterWrite != 0) {
            EXPECT_TRUE(platformKeyPending()) << "the key is left for the run";
        }
    }
}

}  // namespace
