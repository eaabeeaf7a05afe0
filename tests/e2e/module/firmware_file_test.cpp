// Firmware files that cannot be read whole: a FIFO (whose open would wait
// for a writer), a device, and regular files of 2 GiB and more (too large
// for one array: they used to read as nothing and be "sent"). Each run ends
// at once with "Unable to open file!!!" after the version, sends nothing
// more and holds little memory.
#include "module_rig.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace module_e2e {
namespace {

// Far below what reading one of the large files whole would take.
constexpr long kPeakRssBoundKb = 64 * 1024;

// Runs a TCP update of `file` and checks that it ends at the file.
void expectFileRefused(ModuleRig& rig, const std::string& file) {
    const UpdaterRun run = rig.runUpdate({"FileIn=" + file}, 20s);
    rig.expectModuleEnded();
    EXPECT_FALSE(run.status.hung) << "the run did not end";
    expectResultLines(run, {resultLine(0, 0, "Connected"), resultLine(2, 0, "Current firmware version: WL-4.2.17"),
                               resultLine(1, -1, "Unable to open file!!!")});
    EXPECT_EQ(rig.commandsReceived(), std::vector<std::string>{"atFirmwareVersionGet"});
    EXPECT_LT(run.status.peakRssKb, kPeakRssBoundKb) << "peak resident memory " << run.status.peakRssKb << " KiB";
}

TEST(FirmwareFile, AFifoWithoutWriterIsRefusedAtOnce) {
    ModuleRig rig;
    const std::string fifo = rig.path("fw.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
    rig.startModule(Link::Tcp);
    expectFileRefused(rig, fifo);
}

// A character device reads as nothing, or as an endless stream.
TEST(FirmwareFile, ADeviceIsRefused) {
    for (const char* device : {"/dev/null", "/dev/zero"}) {
        SCOPED_TRACE(device);
        ModuleRig rig;
        rig.startModule(Link::Tcp);
        expectFileRefused(rig, device);
    }
}

// Sparse files: no disk space and no time to make. 2^32 + 1 bytes would
// pass for 1 byte where the size is cut to 32 bits.
TEST(FirmwareFile, AFileOfTwoGibibytesOrMoreIsRefused) {
    for (const off_t size : {off_t(1) << 31, (off_t(1) << 32) + 1}) {
        SCOPED_TRACE(std::to_string(size) + " bytes");
        ModuleRig rig;
        const std::string file = rig.path("large.bin");
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0) << std::strerror(errno);
        const int made = ::ftruncate(fd, size);
        const int error = errno;
        ::close(fd);
        if (made != 0)
            GTEST_SKIP() << "the test folder's file system cannot hold a sparse file of " << size
                         << " bytes: " << std::strerror(error);
        rig.startModule(Link::Tcp);
        expectFileRefused(rig, file);
    }
}

}  // namespace
}  // namespace module_e2e
