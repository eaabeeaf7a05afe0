// One benchmark run each: a fresh emulator, then panelflash, moduleflash or
// a floor client against it, driven to the end and checked (the device must
// hold the whole image afterwards), with the client's wall and CPU time.
#pragma once

#include "child_run.h"

#include <string>
#include <vector>

namespace bench {

struct Tools {
    std::string panelflash, panelEmulator, panelFloor;
    std::string moduleflash, moduleEmulator, moduleFloor;
    std::string work;        // scratch folder, holds the images
    std::string panelImage;  // in `work`, the only .bim there
    std::string moduleImage;
};

struct RunResult {
    bool ok = false;
    std::string why;  // when not ok
    Finished client;
    // The floor clients' account of the bytes they moved: name=value words.
    std::string counts;
};

// Reads `name=` from a floor client's account; 0 when absent.
double countOf(const std::string& counts, const std::string& name);

// `emulatorPacing`: extra emulator options, e.g. --baud 57600 --latency 1.
RunResult runPanel(const Tools& tools, bool floor, const std::vector<std::string>& emulatorPacing);

struct ModulePath {
    bool tcp = true;
    std::string address = "127.0.0.1";
    std::vector<std::string> emulatorPrefix;  // e.g. ip netns exec NS
    std::vector<std::string> clientPrefix;
    std::vector<std::string> emulatorPacing;
};
enum class ModuleClient { Program, Floor, FloorNoDelay };
RunResult runModule(const Tools& tools, const ModulePath& path, ModuleClient client);

}  // namespace bench
