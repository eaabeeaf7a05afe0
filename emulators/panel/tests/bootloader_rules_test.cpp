// The bootloader's refusals: each rule broken once on an otherwise sound
// session, and a sound page written where the sector map says.
#include "bootloader.h"
#include "sector_layout.h"

#include <functional>
#include <gtest/gtest.h>

using namespace panel_emulator;

namespace {

class Session {
public:
    explicit Session(std::uint8_t code = 0x14) : loader(code) {}

    BootVerdict send(std::vector<std::uint8_t> bytes) {
        bytes.insert(bytes.begin() + 1, sequence++);
        return loader.handle(BootFrame{bytes});
    }
    BootVerdict sendPage(std::uint8_t fill, unsigned packets = kPacketsPerPage) {
        BootVerdict last{};
        for (unsigned p = 0; p < packets; ++p) {
            std::vector<std::uint8_t> data{boot_command::kData, static_cast<std::uint8_t>(p)};
            data.resize(2 + kDataPayloadSize, fill);
            last = send(data);
            if (!last.accepted()) return last;
        }
        return last;
    }
    void identify() { ASSERT_TRUE(send({boot_command::kIdentify}).accepted()); }

    Bootloader loader;
    std::uint8_t sequence = 200;  // any start: the first frame sets the count
};

}  // namespace

TEST(Bootloader, WritesAnErasedPageAndReportsTheHardwareCode) {
    Session session(0x44);
    EXPECT_EQ(session.send({boot_command::kSync}).status, kBootAccepted);
    EXPECT_EQ(session.send({boot_command::kIdentify}).status, 0x44);
    ASSERT_TRUE(session.sendPage(0xA5).accepted());
    ASSERT_TRUE(session.send({boot_command::kErase, 8}).accepted());     // pages 8..15
    ASSERT_TRUE(session.send({boot_command::kWrite, 8, 1}).accepted());  // page 9
    auto flash = session.loader.flash().contentsFrom(0x2000);
    ASSERT_EQ(flash.size(), 8 * kPageSize);
    EXPECT_EQ(flash[7 * kPageSize], 0xA5);
    EXPECT_EQ(flash.back(), 0xA5);
    EXPECT_EQ(flash[6 * kPageSize], 0xFF);
    EXPECT_FALSE(session.loader.firstPhaseComplete());
}

TEST(Bootloader, RefusesFramesThatBreakARule) {
    struct Case {
        const char* rule;
        bool pageWrittenBefore;
        std::function<BootVerdict(Session&)> breakIt;
    };
    const std::vector<Case> cases = {
        {"data before identify", false, [](Session& s) { return s.sendPage(0, 1); }},
        {"sequence skipped", false,
            [](Session& s) {
                s.identify();
                ++s.sequence;
                return s.send({boot_command::kSync});
            }},
        {"packet out of order", false,
            [](Session& s) {
                s.identify();
                std::vector<std::uint8_t> packetOne{boot_command::kData, 1};
                packetOne.resize(2 + kDataPayloadSize, 0);
                return s.send(packetOne);
            }},
        {"erase outside the map", false,
            [](Session& s) {
                return s.send({boot_command::kErase, kSectorCount});
            }},
        {"write before 69 packets", false,
            [](Session& s) {
                s.identify();
                s.sendPage(0, 68);
                s.send({boot_command::kErase, 3});
                return s.send({boot_command::kWrite, 3, 0});
            }},
        {"write without erase", false,
            [](Session& s) {
                s.identify();
                s.sendPage(0);
                return s.send({boot_command::kWrite, 3, 0});
            }},
        {"second write without a new erase", true,
            [](Session& s) {
                s.identify();
                s.sendPage(0);
                s.send({boot_command::kErase, 3});
                s.send({boot_command::kWrite, 3, 0});
                s.sendPage(0);
                return s.send({boot_command::kWrite, 3, 0});
            }},
        {"page past a one-page sector", false,
            [](Session& s) {
                s.identify();
                s.sendPage(0);
                s.send({boot_command::kErase, 27});
                return s.send({boot_command::kWrite, 27, 1});
            }},
        {"unknown command", false, [](Session& s) { return s.send({0x07}); }},
    };
    for (const auto& c : cases) {
        Session session;
        BootVerdict verdict = c.breakIt(session);
        EXPECT_EQ(verdict.status, kBootRefused) << c.rule;
        EXPECT_FALSE(verdict.refusal.empty()) << c.rule;
        EXPECT_EQ(session.loader.flash().highestWrittenPage().has_value(), c.pageWrittenBefore) << c.rule;
    }
}

TEST(Bootloader, SequenceWrapsAndStartsOverWhenTheLineReopens) {
    Session session;
    session.sequence = 255;
    EXPECT_TRUE(session.send({boot_command::kSync}).accepted());
    EXPECT_TRUE(session.send({boot_command::kSync}).accepted());  // 0 follows 255
    session.loader.lineOpened();
    session.sequence = 17;
    EXPECT_TRUE(session.send({boot_command::kSync}).accepted());
}

TEST(SectorLayout, RowsCoverPagesZeroTo125) {
    EXPECT_EQ(sectorAtRow(7)->firstPage, 7u);
    EXPECT_EQ(sectorAtRow(8)->pageCount, 8u);
    EXPECT_EQ(sectorAtRow(21)->firstPage, 112u);
    EXPECT_EQ(sectorAtRow(22)->firstPage, 120u);
    EXPECT_EQ(sectorAtRow(27)->firstPage, 125u);
    EXPECT_FALSE(sectorAtRow(28).has_value());
}
