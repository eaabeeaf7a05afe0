// panel-emulator: plays an alarm control panel on a pseudo-terminal for the
// updater (see panel_emulator.h), or writes a sample image with --make-image.
#include "emulator_options.h"
#include "panel_emulator.h"
#include "sample_image.h"

#include <fstream>
#include <iostream>

using namespace panel_emulator;

namespace {

int makeImage(const ImageRequest& request) {
    std::vector<std::uint8_t> image = makeSampleImage(request.model, request.bodySize);
    std::ofstream out(request.path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    if (!out) {
        std::cerr << "panel-emulator: cannot write " << request.path << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    ParsedOptions parsed = parseEmulatorOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::cerr << "panel-emulator: " << parsed.error << "\n" << emulatorUsage();
        return 2;
    }
    if (parsed.options->makeImage) return makeImage(*parsed.options->makeImage);
    try {
        PanelEmulator emulator(*parsed.options, std::cerr);
        std::cout << emulator.portName() << std::endl;
        return emulator.run();
    } catch (const std::exception& error) {
        std::cerr << "panel-emulator: " << error.what() << "\n";
        return 1;
    }
}
