// Files and time on POSIX: the listing behind the image pick, the image open,
// and the pause.
//
// The image open never blocks and never reads from anything but a regular
// file: it opens non-blocking (a FIFO without a writer would otherwise hang
// the open), checks the type on the open descriptor itself (no race with a
// rename), and only then hands a blocking stream to the reader.
#include <dirent.h>
#include <strings.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/platform.h"
#include "platform/posix_backend.h"

namespace {

// Suffixes match whatever their case (FW.BIM, fw.Bim), as a file dialog's
// filter does.
bool endsWith(const char* name, const char* suffix) {
    size_t nameLength = std::strlen(name);
    size_t suffixLength = std::strlen(suffix);
    return nameLength >= suffixLength && strcasecmp(name + nameLength - suffixLength, suffix) == 0;
}

}  // namespace

std::vector<std::string> platformListFiles(const char* suffix) {
    std::vector<std::string> names;
    DIR* directory = opendir(".");
    if (directory == nullptr) {
        return names;
    }
    while (const dirent* entry = readdir(directory)) {
        struct stat status {};
        if (endsWith(entry->d_name, suffix) && stat(entry->d_name, &status) == 0 && S_ISREG(status.st_mode)) {
            names.emplace_back(entry->d_name);
        }
    }
    closedir(directory);
    std::sort(names.begin(), names.end());
    return names;
}

std::FILE* platformOpenFileForReading(const char* path) {
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return nullptr;
    }
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return nullptr;
    }
    std::FILE* file = fdopen(fd, "rb");
    if (file == nullptr) {
        close(fd);
    }
    return file;
}

void platformSleep(uint32_t milliseconds) {
    timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}
