// The second phase under every fault at every kind of LinkFrame, after a
// complete first phase of a KALDOR64 image with the extension. Only a
// transfer that reaches its end shows the final prompt; every other end is
// the second-phase failure. The final 0x99 frame is never answered, so the
// faults there are the panel staying silent (as it always does) or hanging
// up right after it, and a key during the closing pause: the transfer is
// complete in all three and must end as one.
#include "panel_fault_cell.h"
#include "panel_frame_plan.h"
#include "panel_rig.h"
#include "process_state.h"

#include <gtest/gtest.h>

using namespace panel_e2e;
using namespace fault_matrix;

namespace {

const std::string kModel = "KALDOR64";

struct Where {
    const char* name;
    unsigned frame;
};

const std::vector<Where>& wheres() {
    static const std::vector<Where> all = {
        {"Opening0x61", kOpeningFrame},
        {"Second0x1F", kSecondFrame},
        {"BeforeBlocks0x70", kBeforeBlocksFrame},
        {"BlockOpening", blockOpenFrame(64)},
        {"Chunk", chunkFrame(64, 3)},
        {"BlockClosing", blockCloseFrame(kBlockCount - 1)},
        {"Final0x99", kFinalLinkFrame},
    };
    return all;
}

struct Cell {
    std::size_t where;
    PanelFault fault;
};

void PrintTo(const Cell& cell, std::ostream* out) { *out << wheres()[cell.where].name << " " << faultName(cell.fault); }

std::vector<Cell> allCells() {
    std::vector<Cell> cells;
    for (std::size_t w = 0; w < wheres().size(); ++w) {
        bool final = wheres()[w].frame == kFinalLinkFrame;
        for (PanelFault fault : {PanelFault::refused, PanelFault::silent, PanelFault::shortReply, PanelFault::garbage,
                 PanelFault::hangUp, PanelFault::keyPress}) {
            bool replyFault =
                fault == PanelFault::refused || fault == PanelFault::shortReply || fault == PanelFault::garbage;
            if (final && replyFault) continue;  // there is no reply to spoil
            cells.push_back({w, fault});
        }
    }
    return cells;
}

// Runs the first phase and confirms both prompts once the panel has taken
// its reset, as a user would.
ConsoleProcess& reachSecondPhase(PanelRig& rig, const std::vector<std::string>& faultOptions) {
    rig.makeImage(kModel, kWithExtensionSize, "kaldor64.bim");
    std::vector<std::string> options{"--model", kModel};
    options.insert(options.end(), faultOptions.begin(), faultOptions.end());
    rig.startPanel(options);
    ConsoleProcess& updater = rig.startUpdate(kModel, "1");
    rig.expect(resetPrompt(kModel), 30s);
    updater.sendKeys("\r");
    rig.expect(kUsbLinkPrompt);
    rig.expectPanelLog("firmware running");
    updater.sendKeys("\r");
    return updater;
}

class SecondPhaseFault : public ::testing::TestWithParam<Cell> {};

TEST_P(SecondPhaseFault, EndsAsAFailureUnlessTheTransferCompleted) {
    const Cell cell = GetParam();
    const unsigned frame = wheres()[cell.where].frame;
    PanelRig rig;
    ConsoleProcess& updater = reachSecondPhase(rig, linkFaultOptions(cell.fault, frame));
    const std::string extension = rig.imageBody("kaldor64.bim").substr(kMainPartSize);
    const std::string before =
        frame == kOpeningFrame ? std::string() : linkTrace(frame - 1, extension) + linkAcceptedReply(frame - 1);
    rig.expect(before + linkTrace(frame, extension), 20s);
    if (cell.fault == PanelFault::keyPress) {
        // Nothing shows when the updater, having written the final frame,
        // looks for a key one last time and starts its 2 s pause; a key seen
        // then ends the transfer early. Press it once the updater is seen
        // asleep in the pause.
        if (frame == kFinalLinkFrame) {
            ASSERT_TRUE(test_support::awaitTimedSleep(updater.pid(), Deadline(10s)))
                << "the updater did not pause after the final frame";
        }
        updater.sendKeys("k");
    }

    Deadline afterFrame(10s);
    bool completed = frame == kFinalLinkFrame;
    switch (cell.fault) {
    case PanelFault::refused: rig.expect("01 EE\n\n\nERROR : data transfer\n"); break;
    case PanelFault::silent:
    case PanelFault::shortReply:
    case PanelFault::hangUp:
        if (!completed) rig.expect("FAIL -- ");
        break;
    case PanelFault::keyPress:
        if (!completed) rig.expect(linkAcceptedReply(frame));
        break;
    case PanelFault::garbage: {
        auto g = awaitGarbage(rig.panel(), "firmware frame " + std::to_string(frame));
        ASSERT_EQ(g.size(), 7u) << rig.panel().errorOutput();
        const unsigned length = g[3], status = g[4];
        const unsigned expected = frame == kOpeningFrame ? 0x0F : 0x10;
        if (length != 1) {
            // Out of range, or more bytes announced than ever come.
            rig.expect("FAIL -- ");
        } else if (status != expected) {
            rig.expect(hexBytes({static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(status)}).substr(0, 5) +
                       "\n\n\nERROR : data transfer\n");
        } else {
            completed = true;
        }
        break;
    }
    }
    if (!completed && (cell.fault == PanelFault::silent || cell.fault == PanelFault::shortReply)) {
        EXPECT_GE(afterFrame.elapsed(), 900ms);
        EXPECT_LT(afterFrame.elapsed(), 3000ms);
    }

    RecordProperty("outcome", completed ? "completed" : "failed");
    if (completed) {
        rig.expect(finalPrompt(kModel), 30s);
    } else {
        rig.expect(kSecondPhaseFailure + kPressEnter);
        EXPECT_EQ(updater.transcript().find("6 - Disconnect USB cable"), std::string::npos);
    }
    if (cell.fault == PanelFault::keyPress) {
        rig.expectExit(1);
    } else {
        rig.expectKeyWaitThenExit(1);
    }
    EXPECT_TRUE(test_support::sameLineDiscipline(updater.settingsAtStart(), updater.currentSettings()));
    if (completed) {
        EXPECT_TRUE(rig.panel().exitsWithin(Deadline(5s)));
        EXPECT_TRUE(rig.extension() == extension) << "a completed transfer left the extension wrong";
    }
}

std::string cellName(const ::testing::TestParamInfo<Cell>& info) {
    return std::string(wheres()[info.param.where].name) + "_" + faultName(info.param.fault);
}

INSTANTIATE_TEST_SUITE_P(Cells, SecondPhaseFault, ::testing::ValuesIn(allCells()), cellName);

}  // namespace
