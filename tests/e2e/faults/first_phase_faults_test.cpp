// The first phase under every fault at every kind of frame, on a four-page
// image (device pages 3, 4 and 5, then image page 0 to device page 2). The
// phase succeeds only when the panel accepts its final Write; any other end
// is the first-phase failure, never the reset prompt, and the console is
// left as it was found. A garbled reply is judged by its status byte alone,
// like any reply: where the updater may take it as accepted, the run must
// then complete with every page in flash.
#include "panel_fault_cell.h"
#include "panel_frame_plan.h"
#include "panel_rig.h"

#include <functional>
#include <gtest/gtest.h>

using namespace panel_e2e;
using namespace fault_matrix;

namespace {

const std::string kModel = "SKYRELAY";
constexpr std::uint8_t kHardwareCode = 0x18;
constexpr std::size_t kBodySize = 4 * 0x1000;

using FramePick = std::function<bool(const PlannedBootFrame&)>;

struct Where {
    const char* name;
    FramePick pick;  // the first frame it accepts is the cell's frame
};

bool isData(const PlannedBootFrame& f, unsigned page, unsigned packet) {
    return f.kind == BootKind::data && f.devicePage == page && f.packet == packet;
}

const std::vector<Where>& wheres() {
    static const std::vector<Where> all = {
        {"Sync", [](const PlannedBootFrame& f) { return f.kind == BootKind::sync && f.shown[1] == 2; }},
        {"Identify", [](const PlannedBootFrame& f) { return f.kind == BootKind::identify; }},
        {"FirstPageData", [](const PlannedBootFrame& f) { return isData(f, 3, 10); }},
        {"MiddlePageData", [](const PlannedBootFrame& f) { return isData(f, 4, 34); }},
        {"LastPageLastPacket", [](const PlannedBootFrame& f) { return isData(f, 5, 68); }},
        {"Erase", [](const PlannedBootFrame& f) { return f.kind == BootKind::erase && f.devicePage == 4; }},
        {"Write", [](const PlannedBootFrame& f) { return f.kind == BootKind::write && f.devicePage == 3; }},
        {"FinalWrite", [](const PlannedBootFrame& f) { return f.kind == BootKind::write && f.devicePage == 2; }},
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
        for (PanelFault fault : {PanelFault::refused, PanelFault::silent, PanelFault::shortReply, PanelFault::garbage,
                 PanelFault::hangUp, PanelFault::keyPress}) {
            cells.push_back({w, fault});
        }
    }
    return cells;
}

// How the phase must end after the faulty exchange's reply line.
enum class Outcome { failed, wrongHardware, completed };

class FirstPhaseFault : public ::testing::TestWithParam<Cell> {};

TEST_P(FirstPhaseFault, EndsAsAFailureUnlessTheUploadCompleted) {
    const Cell cell = GetParam();
    PanelRig rig;
    rig.makeImage(kModel, kBodySize, "image.bim");
    const std::string body = rig.imageBody("image.bim");
    const std::vector<PlannedBootFrame> frames = firstPhaseFrames(body, kHardwareCode);
    std::size_t index = 0;
    while (index < frames.size() && !wheres()[cell.where].pick(frames[index])) ++index;
    ASSERT_LT(index, frames.size()) << "no such frame in the plan";
    const unsigned number = static_cast<unsigned>(index + 1);
    const PlannedBootFrame& frame = frames[index];
    SCOPED_TRACE("frame " + std::to_string(number) + " of " + std::to_string(frames.size()));

    std::vector<std::string> options{"--model", kModel};
    for (const std::string& option : bootFaultOptions(cell.fault, number)) options.push_back(option);
    rig.startPanel(options);
    ConsoleProcess& updater = rig.startUpdate(kModel, "1");
    const std::string before = index == 0 ? std::string() : bootAcceptedLine(frames[index - 1]);
    rig.expect(before + bootTrace(frame), 20s);
    if (cell.fault == PanelFault::keyPress) updater.sendKeys("k");

    Deadline afterFrame(10s);
    Outcome outcome = Outcome::failed;
    const auto s0 = frame.shown[0], s1 = frame.shown[1];
    switch (cell.fault) {
    case PanelFault::refused: rig.expect(bootReplyLine(s0, s1, 0x01) + "FAIL -- "); break;
    case PanelFault::silent: rig.expect(bootReplyLine(0, 0, 0) + "FAIL -- "); break;
    case PanelFault::shortReply: rig.expect(bootReplyLine(s0, s1, 0) + "FAIL -- "); break;
    case PanelFault::hangUp:
        // Whether the byte sent before the hang-up is still read depends on
        // when the line goes; the failed read is what counts.
        rig.expect("FAIL -- ");
        break;
    case PanelFault::keyPress:
        rig.expect(bootReplyLine(s0, s1, frame.acceptedStatus));
        if (frame.kind == BootKind::write && frame.devicePage == 2) outcome = Outcome::completed;
        break;
    case PanelFault::garbage: {
        auto g = awaitGarbage(rig.panel(), "frame " + std::to_string(number));
        ASSERT_EQ(g.size(), 3u) << rig.panel().errorOutput();
        rig.expect(bootReplyLine(g[0], g[1], g[2]));
        if (g[2] == 0x01) {
            rig.expect("FAIL -- ");
        } else if (frame.kind == BootKind::identify && g[2] != kHardwareCode) {
            outcome = Outcome::wrongHardware;
        } else {
            outcome = Outcome::completed;
        }
        break;
    }
    }
    if (cell.fault == PanelFault::silent || cell.fault == PanelFault::shortReply) {
        EXPECT_GE(afterFrame.elapsed(), 900ms);
        EXPECT_LT(afterFrame.elapsed(), 3000ms);
    }

    RecordProperty("outcome", outcome == Outcome::completed ? "completed" : "failed");
    if (outcome == Outcome::completed) {
        rig.expect(resetPrompt(kModel), 20s);
    } else {
        if (outcome == Outcome::wrongHardware)
            rig.expect("\n\nERROR : INVALID HARDWARE\n\tSelected file is for " + kModel);
        rig.expect(kFirstPhaseFailure + kPressEnter);
        EXPECT_EQ(updater.transcript().find("Per cortesia"), std::string::npos);
    }
    // A key that ended the loop is still pending and passes the prompt.
    if (cell.fault == PanelFault::keyPress) {
        rig.expectExit(1);
    } else {
        rig.expectKeyWaitThenExit(1);
    }
    EXPECT_TRUE(test_support::sameLineDiscipline(updater.settingsAtStart(), updater.currentSettings()));
    if (outcome == Outcome::completed) {
        rig.stopPanel();
        EXPECT_TRUE(rig.flash().compare(0, body.size(), body) == 0) << "a completed upload left flash wrong";
    }
}

std::string cellName(const ::testing::TestParamInfo<Cell>& info) {
    return std::string(wheres()[info.param.where].name) + "_" + faultName(info.param.fault);
}

INSTANTIATE_TEST_SUITE_P(Cells, FirstPhaseFault, ::testing::ValuesIn(allCells()), cellName);

TEST(FirstPhasePlan, CountsTheFramesOfAFullMainPart) {
    // 5 Syncs, Identify, 110 pages of 69 packets, 19 Erases, 110 Writes.
    EXPECT_EQ(firstPhaseFrames(std::string(kMainPartSize, '\0'), 0x10).size(), 7725u);
}

}  // namespace
