// The Win32 image open on real files, run under Wine in the Windows build:
// only a file on disk is an image; a folder and a device name are not.
#include <windows.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace {

TEST(Win32ImageOpen, OpensOnlyAFileOnDisk) {
    char folder[MAX_PATH] = {};
    ASSERT_NE(GetTempPathA(sizeof folder, folder), 0u);
    std::string file = std::string(folder) + "win32_files_test.bim";
    std::FILE* written = std::fopen(file.c_str(), "wb");
    ASSERT_NE(written, nullptr);
    std::fputs("Norvel Controls", written);
    std::fclose(written);

    std::FILE* image = platformOpenFileForReading(file.c_str());
    EXPECT_NE(image, nullptr);
    if (image != nullptr) {
        std::fclose(image);
    }
    std::remove(file.c_str());

    // CON would wait for the keyboard; NUL would read as an empty image.
    const char* notImages[] = {"NUL", "CON", folder, "missing-file.bim"};
    for (const char* notAnImage : notImages) {
        SCOPED_TRACE(notAnImage);
        std::FILE* opened = platformOpenFileForReading(notAnImage);
        EXPECT_EQ(opened, nullptr);
        if (opened != nullptr) {
            std::fclose(opened);
        }
    }
}

TEST(Win32Port, APortThatDoesNotExistDoesNotOpen) {
    PortHandle port = kNoPort;
    EXPECT_FALSE(platformOpenPort("\\\\.\\COM99", port));
    EXPECT_EQ(port, kNoPort);
}

}  // namespace
