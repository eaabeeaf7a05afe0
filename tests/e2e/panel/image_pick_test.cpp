// The image pick: the current directory's .bim files listed by number, a
// number or a path chosen; the flash shows which image was uploaded.
#include "panel_rig.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace panel_e2e;

namespace {

// Free-rule images of 1, 3 and 5 pages: each upload leaves a different flash.
void makeImages(PanelRig& rig) {
    rig.makeImage("MISTGUARD", 0x1000, "a.bim");
    rig.makeImage("MISTGUARD", 0x3000, "b.bim");
    mkdir(rig.path("sub").c_str(), 0755);
    rig.makeImage("MISTGUARD", 0x5000, "sub/c.bim");
    rig.makeImage("MISTGUARD", 0x1000, "notes.txt");
}

void uploadAndCheck(PanelRig& rig, const std::string& image) {
    rig.expect(resetPrompt("MISTGUARD"), 30s);
    rig.expectKeyWaitThenExit(1);
    rig.stopPanel();
    EXPECT_TRUE(rig.flash() == rig.imageBody(image)) << "not the image " << image;
}

}  // namespace

TEST(ImagePick, ByNumberFromTheListAfterAnInvalidNumber) {
    PanelRig rig;
    makeImages(rig);
    rig.startPanel({"--model", "MISTGUARD"});
    ConsoleProcess& updater = rig.startUpdater({"MISTGUARD", rig.port()});
    rig.expect("  1  a.bim\n  2  b.bim\n");
    rig.expect(kPickPrompt);
    EXPECT_EQ(updater.transcript().find("notes.txt"), std::string::npos);
    EXPECT_EQ(updater.transcript().find("c.bim"), std::string::npos);
    updater.sendKeys("3\r");
    rig.expect(kPickPrompt);
    updater.sendKeys("2\r");
    uploadAndCheck(rig, "b.bim");
}

TEST(ImagePick, ByAPathOutsideTheList) {
    PanelRig rig;
    makeImages(rig);
    rig.startPanel({"--model", "MISTGUARD"});
    rig.startUpdate("MISTGUARD", "sub/c.bim");
    uploadAndCheck(rig, "sub/c.bim");
}

TEST(ImagePick, ListsImagesWhateverTheCaseOfTheirSuffix) {
    PanelRig rig;
    rig.makeImage("MISTGUARD", 0x1000, "A.BIM");
    rig.makeImage("MISTGUARD", 0x3000, "b.Bim");
    rig.makeImage("MISTGUARD", 0x2000, "c.bim");
    rig.startPanel({"--model", "MISTGUARD"});
    ConsoleProcess& updater = rig.startUpdater({"MISTGUARD", rig.port()});
    rig.expect("  1  A.BIM\n  2  b.Bim\n  3  c.bim\n");
    rig.expect(kPickPrompt);
    updater.sendKeys("2\r");
    uploadAndCheck(rig, "b.Bim");
}

TEST(ImagePick, KeysTypedAheadAtThePickAnswerNoLaterPrompt) {
    PanelRig rig;
    makeImages(rig);
    rig.startPanel({"--model", "MISTGUARD"});
    ConsoleProcess& updater = rig.startUpdater({"MISTGUARD", rig.port()});
    rig.expect(kPickPrompt);
    updater.sendKeys("2\r\r\r");
    uploadAndCheck(rig, "b.bim");
    EXPECT_EQ(updater.transcript().find("Failure"), std::string::npos);
}
