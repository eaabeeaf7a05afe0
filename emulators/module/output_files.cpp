#include "output_files.h"

#include <cerrno>
#include <cstring>

namespace module_emulator {

bool writeFirmwareFile(const std::string& path, std::string_view bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file && std::fclose(file) != 0) written = false;
    if (!written) std::fprintf(stderr, "module-emulator: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    return written;
}

bool CommandLog::open(const std::string& path) {
    if (path.empty()) return true;
    file_.reset(std::fopen(path.c_str(), "w"));
    return file_ != nullptr;
}

void CommandLog::record(std::string_view line) {
    if (!file_) return;
    std::fwrite(line.data(), 1, line.size(), file_.get());
    std::fputc('\n', file_.get());
    std::fflush(file_.get());
}

}  // namespace module_emulator
