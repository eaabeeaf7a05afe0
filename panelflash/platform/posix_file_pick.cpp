// The file pick on POSIX, where there is no system dialog: the current
// directory's files of the wanted kind are listed with numbers, and the user
// types a number, a path, or an empty line to cancel. A number outside the
// list or a path too long is refused and asked again; the end of input
// cancels.
#include <cstdio>

#include "platform/platform.h"
#include "platform/posix_backend.h"

namespace {

void print(const std::string& text) { platformConsoleWrite(text.data(), text.size()); }

bool isAllDigits(const std::string& text) {
    for (char character : text) {
        if (character < '0' || character > '9') {
            return false;
        }
    }
    return true;
}

// The 1-based list number `text` names, or 0 when it names none.
size_t listNumber(const std::string& text, size_t listSize) {
    size_t number = 0;
    for (char character : text) {
        number = number * 10 + static_cast<size_t>(character - '0');
        if (number > listSize) {
            return 0;
        }
    }
    return number;
}

void printFileList(const std::vector<std::string>& names, const char* extension) {
    if (names.empty()) {
        print(std::string("Nessun file ") + extension + " nella cartella / No " + extension + " file in this folder\n");
        return;
    }
    print("File disponibili / Available files:\n");
    for (size_t index = 0; index < names.size(); ++index) {
        char number[32];
        std::snprintf(number, sizeof number, "%3zu  ", index + 1);
        print(number + names[index] + "\n");
    }
}

}  // namespace

bool platformPickFile(const char*, const char* extension, std::string& path) {
    std::vector<std::string> names = platformListFiles(extension);
    printFileList(names, extension);
    std::string answer;
    for (;;) {
        print("Numero o percorso del file (INVIO annulla) / File number or path (ENTER cancels): ");
        if (!platformReadLine(answer) || answer.empty()) {
            return false;
        }
        if (isAllDigits(answer)) {
            size_t number = listNumber(answer, names.size());
            if (number == 0) {
                print("Numero non valido / Invalid number\n");
                continue;
            }
            path = names[number - 1];
            return true;
        }
        if (answer.size() > kMaxPickedPathLength) {
            print("Percorso troppo lungo (max 255) / Path too long (max 255)\n");
            continue;
        }
        path = answer;
        return true;
    }
}
