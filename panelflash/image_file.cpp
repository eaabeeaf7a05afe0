// The image is picked in the platform's way (the system's open-file dialog,
// or a numbered list of the current directory's .bim files), then read and
// judged in a fixed order: the header against the model, the body's alignment
// to a page, then the model's size rule. Every check works on what was read,
// so a short read is judged like a short file.
#include "image_file.h"

#include <cstdio>
#include <cstring>

#include "console.h"

namespace {

constexpr char kImageDescription[] = "KALDOR FW upgrade file (*.bim)";
constexpr char kImageSuffix[] = ".bim";

LoadOutcome failWithFileNotValid(std::FILE* file, const char* path) {
    std::fclose(file);
    consolePrint("Error: File not valid %s\n", path);
    return LoadOutcome::failed;
}

}  // namespace

PickOutcome pickImageFile(std::string& path) {
    if (!platformPickFile(kImageDescription, kImageSuffix, path)) {
        return PickOutcome::cancelled;
    }
    return PickOutcome::picked;
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
