// Files and time on Windows: the system's open-file dialog for the image, the
// image opened with the C runtime, and the pause.
//
// The dialog's record is zero in every member but the structure size, the
// filter, the file buffer and the initial directory: no owner window, the
// default title, the first filter selected, and no flags, so the dialog does
// not itself insist that the named file exist (the open that follows tells).
#include <windows.h>
#include <commdlg.h>
#include <io.h>

#include <cstring>

#include "platform/platform.h"

namespace {

constexpr size_t kFilterSize = 64;
constexpr size_t kPathBufferSize = 256;
constexpr char kCurrentDirectory[] = ".\\";

// "description\0*extension\0\0" in a zeroed buffer; false when it does not fit.
bool buildFilter(const char* description, const char* extension, char (&filter)[kFilterSize]) {
    size_t descriptionLength = std::strlen(description);
    size_t extensionLength = std::strlen(extension);
    // Both texts, their NULs, the '*' and the NUL that ends the list.
    if (descriptionLength + 1 + 1 + extensionLength + 1 + 1 > kFilterSize) {
        return false;
    }
    std::memset(filter, 0, kFilterSize);
    std::memcpy(filter, description, descriptionLength);
    filter[descriptionLength + 1] = '*';
    std::memcpy(filter + descriptionLength + 2, extension, extensionLength);
    return true;
}

}  // namespace

bool platformPickFile(const char* description, const char* extension, std::string& path) {
    char filter[kFilterSize];
    if (!buildFilter(description, extension, filter)) {
        return false;
    }
    char chosen[kPathBufferSize] = {};
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = chosen;
    dialog.nMaxFile = kPathBufferSize;
    dialog.lpstrInitialDir = kCurrentDirectory;
    if (GetOpenFileNameA(&dialog) == 0) {
        return false;
    }
    path = chosen;
    return true;
}

std::FILE* platformOpenFileForReading(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return nullptr;
    }
    // A device name such as CON or NUL opens too; only a file on disk is an
    // image (reading CON would wait for the keyboard).
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

void platformSleep(uint32_t milliseconds) { Sleep(milliseconds); }
