// The image is picked from a numbered list of the current directory's .bim
// files, or by a typed path, then read and judged in a fixed order: the
// header against the model, the body's alignment to a page, then the model's
// size rule. Every check works on what was read, so a short read is judged
// like a short file.
#include "image_file.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "console.h"

namespace {

constexpr char kImageSuffix[] = ".bim";

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

void printFileList(const std::vector<std::string>& names) {
    if (names.empty()) {
        consolePrint("Nessun file .bim nella cartella / No .bim file in this folder\n");
        return;
    }
    consolePrint("File disponibili / Available files:\n");
    for (size_t index = 0; index < names.size(); ++index) {
        consolePrint("%3zu  %s\n", index + 1, names[index].c_str());
    }
}

LoadOutcome failWithFileNotValid(std::FILE* file, const char* path) {
    std::fclose(file);
    consolePrint("Error: File not valid %s\n", path);
    return LoadOutcome::failed;
}

}  // namespace

PickOutcome pickImageFile(std::string& path) {
    std::vector<std::string> names = platformListFiles(kImageSuffix);
    printFileList(names);
    std::string answer;
    for (;;) {
        consolePrint("Numero o percorso del file (INVIO annulla) / File number or path (ENTER cancels): ");
        if (!platformReadLine(answer) || answer.empty()) {
            return PickOutcome::cancelled;
        }
        if (isAllDigits(answer)) {
            size_t number = listNumber(answer, names.size());
            if (number == 0) {
                consolePrint("Numero non valido / Invalid number\n");
                continue;
            }
            path = names[number - 1];
            return PickOutcome::picked;
        }
        if (answer.size() > kMaxImagePathLength) {
            consolePrint("Percorso troppo lungo (max 255) / Path too long (max 255)\n");
            continue;
        }
        path = answer;
        return PickOutcome::picked;
    }
}

LoadOutcome readImageFile(PanelSession& session, const char* path) {
    std::FILE* file = platformOpenFileForReading(path);
    if (file == nullptr) {
        consolePrint("Error: Impossible open %s\n", path);
        return LoadOutcome::failed;
    }
    // The header lands at the start of the image and is overwritten by the
    // body once it has matched.
    if (std::fread(session.image, 1, kHeaderSize, file) < kHeaderSize) {
        return failWithFileNotValid(file, path);
    }
    if (std::memcmp(session.image, session.model->header.bytes, kHeaderSize) != 0) {
        return failWithFileNotValid(file, path);
    }
    session.imageSize = static_cast<uint32_t>(std::fread(session.image, 1, kImageCapacity, file));
    std::fclose(file);

    if (session.imageSize % kPageSize != 0) {
        consolePrint("Error: Binary not aligned 4k\n");
        return LoadOutcome::failed;
    }
    session.hasExtension = 0;
    if (session.model->sizeRule == SizeRule::free) {
        return LoadOutcome::loaded;
    }
    if (session.imageSize == kMainBodySize) {
        return LoadOutcome::loaded;
    }
    if (session.imageSize == kExtendedBodySize) {
        session.hasExtension = 1;
        // The first phase sends the main part only; the extension follows
        // in the second phase.
        session.imageSize = kMainBodySize;
        return LoadOutcome::loaded;
    }
    consolePrint("Error: file error\n");
    return LoadOutcome::failed;
}

LoadOutcome loadImage(PanelSession& session) {
    std::string path;
    if (pickImageFile(path) == PickOutcome::cancelled) {
        return LoadOutcome::cancelled;
    }
    return readImageFile(session, path.c_str());
}
