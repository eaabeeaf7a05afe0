// Runs the image check on arbitrary file contents. The input picks the model,
// how the 32-byte header is made (the model's own, the model's with one byte
// changed, or raw bytes), the body length (in pages up to a little past the buffer, now and then unaligned)
// and the first body bytes; the rest of the body is zero. The contents go to
// one temporary file per process, rewritten for each input. A loaded image
// must have passed every rule: the exact header, a page-aligned body that
// fits the buffer and, for a fixed-rule model, one of its two body lengths.
#include <fuzzer/FuzzedDataProvider.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "catalogue.h"
#include "image_file.h"
#include "panel_session.h"

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::string& imagePath() {
    static std::string path;
    return path;
}

void removeImageFile() { unlink(imagePath().c_str()); }

PanelSession& fuzzSession() {
    static PanelSession* session = new PanelSession;
    return *session;
}

// Writes the header and the given body bytes, then extends the file with
// zero bytes (a hole, so nothing is written for them) to its full length.
void writeImageFile(const std::vector<uint8_t>& written, size_t fullLength) {
    int fd = open(imagePath().c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    require(fd >= 0);
    require(write(fd, written.data(), written.size()) == static_cast<ssize_t>(written.size()));
    require(ftruncate(fd, static_cast<off_t>(fullLength)) == 0);
    require(close(fd) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/image-check-fuzz-XXXXXX";
    int fd = mkstemp(pattern);
    require(fd >= 0);
    close(fd);
    imagePath() = pattern;
    std::atexit(removeImageFile);
    // The error messages go to standard output; keep the fuzzer's own
    // report on standard error readable.
    require(std::freopen("/dev/null", "w", stdout) != nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    PanelSession& session = fuzzSession();
    resetSession(session);
    const ModelEntry& model = kCatalogue[input.ConsumeIntegralInRange<uint32_t>(0, kCatalogueSize - 1)];
    session.model = &model;

    std::vector<uint8_t> contents(model.header.bytes, model.header.bytes + kHeaderSize);
    switch (input.ConsumeIntegralInRange<int>(0, 2)) {
    case 0: break;
    case 1:
        contents[input.ConsumeIntegralInRange<size_t>(0, kHeaderSize - 1)] ^=
            input.ConsumeIntegralInRange<uint8_t>(1, 255);
        break;
    default: contents = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, kHeaderSize)); break;
    }
    // Whole pages, up to two past the buffer, and now and then a few bytes more.
    size_t bodyLength = input.ConsumeIntegralInRange<size_t>(0, kImageCapacity / kPageSize + 2) * kPageSize;
    if (input.ConsumeBool()) {
        bodyLength += input.ConsumeIntegralInRange<size_t>(1, kPageSize - 1);
    }
    std::vector<uint8_t> body = input.ConsumeRemainingBytes<uint8_t>();
    if (body.size() > bodyLength) {
        body.resize(bodyLength);
    }
    size_t fileLength = contents.size() + bodyLength;
    contents.insert(contents.end(), body.begin(), body.end());
    writeImageFile(contents, fileLength);

    LoadOutcome outcome = readImageFile(session, imagePath().c_str());
    require(outcome != LoadOutcome::cancelled);
    if (outcome != LoadOutcome::loaded) {
        return 0;
    }
    require(contents.size() >= kHeaderSize && std::memcmp(contents.data(), model.header.bytes, kHeaderSize) == 0);
    size_t readLength = bodyLength < kImageCapacity ? bodyLength : kImageCapacity;
    require(readLength % kPageSize == 0);
    size_t given = body.size() < readLength ? body.size() : readLength;
    static const uint8_t zeroBytes[kImageCapacity] = {};
    require(given == 0 || std::memcmp(session.image, body.data(), given) == 0);
    require(std::memcmp(session.image + given, zeroBytes, readLength - given) == 0);
    if (model.sizeRule == SizeRule::free) {
        require(session.hasExtension == 0 && session.imageSize == readLength);
    } else {
        require(session.imageSize == kMainBodySize);
        require(session.hasExtension == (readLength == kExtendedBodySize ? 1u : 0u));
        require(readLength == kMainBodySize || readLength == kExtendedBodySize);
    }
    return 0;
}
