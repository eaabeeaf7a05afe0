// Image files that are not what they seem, offered at the pick: each ends
// with the image check's own message and status 0, promptly, and nothing
// is written to the panel. Names with odd bytes and the longest path the
// pick takes go through to a complete upload.
#include "file_io.h"
#include "panel_rig.h"

#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace panel_e2e;

namespace {

struct RefusedImage {
    const char* what;
    const char* model;
    // Prepares the working directory; returns the answer typed at the pick.
    std::function<std::string(PanelRig&)> prepare;
    std::string message;
};

void sparseImage(PanelRig& rig, const std::string& name, off_t size) {
    const std::string path = rig.makeImage("KALDOR64", 0, name);
    ASSERT_EQ(truncate(path.c_str(), size), 0);
}

TEST(HostileImage, AFileThatIsNoImageEndsWithTheImageCheck) {
    const std::vector<RefusedImage> cases = {
        {"a directory", "SKYRELAY",
            [](PanelRig& rig) {
                mkdir(rig.path("folder.bim").c_str(), 0755);
                return std::string("folder.bim");
            },
            "Error: Impossible open folder.bim\n"},
        {"a FIFO without a writer", "SKYRELAY",
            [](PanelRig& rig) {
                mkfifo(rig.path("pipe.bim").c_str(), 0644);
                return std::string("pipe.bim");
            },
            "Error: Impossible open pipe.bim\n"},
        {"a symbolic link loop", "SKYRELAY",
            [](PanelRig& rig) {
                symlink("loop2.bim", rig.path("loop1.bim").c_str());
                symlink("loop1.bim", rig.path("loop2.bim").c_str());
                return std::string("loop1.bim");
            },
            "Error: Impossible open loop1.bim\n"},
        // Read as its first 0x80000 body bytes, which the fixed size rule refuses.
        {"a 2 GiB sparse file", "KALDOR64",
            [](PanelRig& rig) {
                sparseImage(rig, "huge.bim", off_t(2) << 30);
                return std::string("huge.bim");
            },
            "Error: file error\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PanelRig rig;
        rig.startPanel({"--model", c.model});
        const std::string answer = c.prepare(rig);
        rig.startUpdater({c.model, rig.port()});
        rig.expect(kPickPrompt);
        Deadline bound(5s);
        rig.updater().sendKeys(answer + "\r");
        rig.expect(c.message);
        EXPECT_FALSE(bound.expired());
        rig.expectKeyWaitThenExit(0);
        rig.expectPanelLog("line closed after 0 bootloader frames");
    }
}

TEST(HostileImage, AFileWithoutReadPermissionCannotBeOpened) {
    // Root reads a mode-000 file all the same, and no path under a
    // directory keeps root out either: as root there is nothing to show.
    if (geteuid() == 0) GTEST_SKIP() << "running as root, who reads any file whatever its mode";
    PanelRig rig;
    rig.startPanel({"--model", "SKYRELAY"});
    const std::string path = rig.makeImage("SKYRELAY", 0x1000, "locked.bim");
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    rig.startUpdate("SKYRELAY", "locked.bim");
    rig.expect("Error: Impossible open locked.bim\n");
    rig.expectKeyWaitThenExit(0);
}

TEST(HostileImage, AFileThatShrinksAfterTheListingIsJudgedAsItIsWhenPicked) {
    PanelRig rig;
    rig.startPanel({"--model", "KALDOR64"});
    const std::string path = rig.makeImage("KALDOR64", kWithExtensionSize, "kaldor64.bim");
    rig.startUpdater({"KALDOR64", rig.port()});
    rig.expect("  1  kaldor64.bim\n");
    rig.expect(kPickPrompt);
    ASSERT_EQ(truncate(path.c_str(), 32 + 5000), 0);
    rig.updater().sendKeys("1\r");
    rig.expect("Error: Binary not aligned 4k\n");
    rig.expectKeyWaitThenExit(0);
}

TEST(HostileImage, NamesWithBlanksQuotesAndNonAsciiBytesAreTakenAsTheyAre) {
    const std::string odd = "my \"odd\" 'name' \xc3\xa9\xff.bim";
    for (const std::string& answer : {std::string("1"), odd}) {
        SCOPED_TRACE(answer);
        PanelRig rig;
        rig.startPanel({"--model", "SKYRELAY"});
        rig.makeImage("SKYRELAY", 0x1000, odd);
        rig.startUpdater({"SKYRELAY", rig.port()});
        rig.expect("  1  " + odd + "\n");
        rig.expect(kPickPrompt);
        rig.updater().sendKeys(answer + "\r");
        rig.expect(resetPrompt("SKYRELAY"), 20s);
        rig.expectKeyWaitThenExit(1);
        rig.stopPanel();
        EXPECT_TRUE(rig.flash().compare(0, 0x1000, rig.imageBody(odd)) == 0);
    }
}

// A relative path of exactly `length` characters to a file in nested folders.
std::string pathOfLength(PanelRig& rig, std::size_t length) {
    const std::string folder(50, 'd');
    std::string relative;
    for (int level = 0; level < 4; ++level) {
        relative += folder + "/";
        mkdir(rig.path(relative).c_str(), 0755);
    }
    std::string name(length - relative.size() - 4, 'f');
    return relative + name + ".bim";
}

TEST(HostileImage, ThePickTakesAPathOf255CharactersAndAsksAgainAfter256) {
    PanelRig rig;
    rig.startPanel({"--model", "SKYRELAY"});
    const std::string longest = pathOfLength(rig, 255);
    const std::string tooLong = pathOfLength(rig, 256);
    ASSERT_EQ(longest.size(), 255u);
    ASSERT_EQ(tooLong.size(), 256u);
    rig.makeImage("SKYRELAY", 0x1000, longest);
    rig.makeImage("SKYRELAY", 0x1000, tooLong);
    rig.startUpdater({"SKYRELAY", rig.port()});
    rig.expect(kPickPrompt);
    rig.updater().sendKeys(tooLong + "\r");
    rig.expect("Percorso troppo lungo (max 255) / Path too long (max 255)\n" +
               std::string("Numero o percorso del file ") + kPickPrompt);
    rig.updater().sendKeys(longest + "\r");
    rig.expect(resetPrompt("SKYRELAY"), 20s);
    rig.expectKeyWaitThenExit(1);
}

}  // namespace
