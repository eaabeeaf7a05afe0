// Prints the panel model catalogue, one row a line: the name, then "fixed"
// for a model whose image body has a fixed size or "free" for one that takes
// any whole number of pages. The manual page and the shell completion are
// filled in from this list at build time, so the names live only in the
// catalogue itself.
#include <cstdio>

#include "catalogue.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: catalogue-names OUTPUT\n");
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "w");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    for (uint32_t row = 0; row < kCatalogueSize; ++row) {
        const ModelEntry& entry = kCatalogue[row];
        std::fprintf(out, "%s %s\n", entry.name, entry.sizeRule == SizeRule::fixed ? "fixed" : "free");
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
