// bench_driver: runs panelflash and moduleflash side by side with the floor
// clients against their emulators, program and floor in turn (A B A B ...),
// and prints one table: medians with their min-max spread, the ratio of each
// program to its floor, and on paced lines the efficiency, line time / wall
// time, where line time is what the bytes, the reply latencies and the final
// pause need at the line's own speed.
//
// usage: bench_driver BUILD_DIR [--pairs N] [--paced-pairs N] [--only FIGURES]
//                     [--paced-cpus awake|idle|both]
//                     [--netns EMULATOR_NS CLIENT_NS EMULATOR_ADDRESS]
// --only takes a comma-separated list of panel, module, netns, panel-paced
// and module-paced, to measure one figure again without the others.
// --paced-cpus: measure the paced figures with the CPUs kept awake, left to
// idle as they are, or both (the default); see awake_cpus.h.
#include "awake_cpus.h"
#include "runs.h"
#include "samples.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>

using namespace bench;

namespace {

constexpr std::size_t kModuleImageSize = 1 << 20;
constexpr double kPanelBaud = 57600, kModuleBaud = 115200, kPanelLatency = 0.001;

struct Figures {
    Samples wall, cpu;
    std::string counts;
};

[[noreturn]] void die(const std::string& why) {
    std::fprintf(stderr, "bench: %s\n", why.c_str());
    std::exit(1);
}

void record(Figures& figures, const RunResult& run) {
    if (!run.ok) die(run.why);
    figures.wall.add(run.client.wallSeconds);
    figures.cpu.add(run.client.cpuSeconds);
    figures.counts = run.counts;
    std::fprintf(stderr, ".");
}

std::string verdict(bool met) { return met ? "met" : "NOT met"; }

void printRow(const char* name, const Figures& figures, const std::string& rate) {
    std::printf("  %-26s wall %-26s %-18s cpu %s s\n", name, (figures.wall.spread(3) + " s").c_str(), rate.c_str(),
        figures.cpu.spread(3).c_str());
}

std::string perSecond(double count, double seconds, const char* unit) {
    char text[64];
    std::snprintf(text, sizeof text, "%.0f %s", count / seconds, unit);
    return text;
}

std::string mebibytesPerSecond(double seconds) {
    char text[64];
    double rate = kModuleImageSize / seconds;
    if (rate < (1 << 20))
        std::snprintf(text, sizeof text, "%.2f KiB/s", rate / 1024);
    else
        std::snprintf(text, sizeof text, "%.2f MiB/s", rate / (1 << 20));
    return text;
}

// Ratio of program to floor within each pair, so that both halves of a pair
// share the machine's load of the moment.
Samples pairRatios(const Figures& program, const Figures& floor) {
    Samples ratios;
    for (std::size_t i = 0; i < program.wall.values.size() && i < floor.wall.values.size(); ++i) {
        ratios.add(program.wall.values[i] / floor.wall.values[i]);
    }
    return ratios;
}

void makeImages(Tools& tools) {
    tools.panelImage = tools.work + "/kaldor64.bim";
    Child maker({tools.panelEmulator, "--make-image", "KALDOR64", "0x76000", tools.panelImage}, "", Child::Stream::Null,
        Child::Stream::Null, Child::Stream::Null);
    if (maker.wait(Clock::now() + std::chrono::seconds(10)).status != 0) die("cannot make the panel image");
    tools.moduleImage = tools.work + "/module-firmware-1MiB.bin";
    std::string firmware(kModuleImageSize, '\0');
    std::mt19937 random(1);
    for (char& byte : firmware) byte = static_cast<char>(random());
    std::ofstream(tools.moduleImage, std::ios::binary) << firmware;
}

void panelFullSpeed(const Tools& tools, int pairs) {
    Figures program, floor;
    for (int i = 0; i < pairs; ++i) {
        record(program, runPanel(tools, false, {}));
        record(floor, runPanel(tools, true, {}));
    }
    double exchanges = countOf(floor.counts, "exchanges");
    std::printf(
        "\npanelflash: two-phase KALDOR64 update, 0x76000-byte image, pty, full speed (%d pairs, %.0f exchanges)\n",
        pairs, exchanges);
    printRow("panelflash", program, perSecond(exchanges, program.wall.median(), "exch/s"));
    printRow("floor (panel_floor)", floor, perSecond(exchanges, floor.wall.median(), "exch/s"));
    Samples ratio = pairRatios(program, floor);
    double cpuShare = program.cpu.median() / program.wall.median();
    std::printf("  ratio panelflash/floor     %s   target <= 1.25: %s\n", ratio.spread(3).c_str(),
        verdict(ratio.median() <= 1.25).c_str());
    std::printf("  panelflash cpu/wall        %.3f               target <= 0.25: %s\n", cpuShare,
        verdict(cpuShare <= 0.25).c_str());
}

enum class PacedCpus { Awake, Idle };

// Spinners for an awake figure, kept for as long as the figure's runs last.
std::unique_ptr<AwakeCpus> cpusFor(PacedCpus cpus) {
    return cpus == PacedCpus::Awake ? std::make_unique<AwakeCpus>() : nullptr;
}

// No spinners: the CPUs were left to idle.
std::string describe(const AwakeCpus* spinners) {
    if (spinners == nullptr) return "CPUs left to idle";
    return "CPUs kept awake by " + std::to_string(spinners->count()) + " idle-priority spinners";
}

void panelPaced(const Tools& tools, int pairs, PacedCpus cpus) {
    auto spinners = cpusFor(cpus);
    Figures program, floor;
    for (int i = 0; i < pairs; ++i) {
        record(program, runPanel(tools, false, {"--baud", "57600", "--latency", "1"}));
        record(floor, runPanel(tools, true, {"--baud", "57600", "--latency", "1"}));
    }
    double bytes = countOf(floor.counts, "sent") + countOf(floor.counts, "received");
    double line = bytes * 10 / kPanelBaud + countOf(floor.counts, "answered") * kPanelLatency +
                  countOf(floor.counts, "pause_ms") / 1000;
    std::printf(
        "\npanelflash: the same update, emulator paced at 57600 baud 8N1 and 1 ms reply latency (%d pairs, %s)\n",
        pairs, describe(spinners.get()).c_str());
    std::printf("  line time                  %.3f s (%.0f bytes both ways, %.0f latencies, %.0f ms pause)\n", line,
        bytes, countOf(floor.counts, "answered"), countOf(floor.counts, "pause_ms"));
    printRow("panelflash", program, "");
    printRow("floor (panel_floor)", floor, "");
    std::printf("  efficiency panelflash      %.2f %% (floor %.2f %%)   target >= 98 %%: %s\n",
        100 * line / program.wall.median(), 100 * line / floor.wall.median(),
        verdict(line / program.wall.median() >= 0.98).c_str());
}

constexpr int kStartUpRuns = 21;

double startUpSeconds(const std::string& client) {
    Child usage({client}, "", Child::Stream::Null, Child::Stream::Null, Child::Stream::File);
    return usage.wait(Clock::now() + std::chrono::seconds(10)).wallSeconds;
}

void moduleLoopback(const Tools& tools, int pairs) {
    Figures program, floor;
    ModulePath path;
    for (int i = 0; i < pairs; ++i) {
        record(program, runModule(tools, path, ModuleClient::Program));
        record(floor, runModule(tools, path, ModuleClient::Floor));
    }
    std::printf("\nmoduleflash: 1 MiB upload over loopback TCP, 2048-byte chunks (%d pairs, %.0f exchanges)\n", pairs,
        countOf(floor.counts, "exchanges"));
    printRow("moduleflash", program, mebibytesPerSecond(program.wall.median()));
    printRow("floor (module_floor)", floor, mebibytesPerSecond(floor.wall.median()));
    Samples ratio = pairRatios(program, floor);
    std::printf("  ratio moduleflash/floor    %s   target <= 1.3: %s\n", ratio.spread(3).c_str(),
        verdict(ratio.median() <= 1.3).c_str());
    // What each client needs before its first byte: a run that only prints
    // its usage text and ends, alternating as above.
    Samples programStart, floorStart;
    for (int i = 0; i < kStartUpRuns; ++i) {
        programStart.add(startUpSeconds(tools.moduleflash));
        floorStart.add(startUpSeconds(tools.moduleFloor));
    }
    std::printf("  start-up alone (usage only) moduleflash %s s, floor %s s (%d runs each)\n",
        programStart.spread(4).c_str(), floorStart.spread(4).c_str(), kStartUpRuns);
    std::printf("  ratio with both start-ups taken off  %.3f\n",
        (program.wall.median() - programStart.median()) / (floor.wall.median() - floorStart.median()));
}

void modulePaced(const Tools& tools, int pairs, PacedCpus cpus) {
    auto spinners = cpusFor(cpus);
    Figures program, floor;
    ModulePath path;
    path.tcp = false;
    path.emulatorPacing = {"--baud", "115200"};
    for (int i = 0; i < pairs; ++i) {
        record(program, runModule(tools, path, ModuleClient::Program));
        record(floor, runModule(tools, path, ModuleClient::Floor));
    }
    double bytes = countOf(floor.counts, "sent") + countOf(floor.counts, "received");
    double line = bytes * 10 / kModuleBaud;
    std::printf("\nmoduleflash: the same upload over a pty paced at 115200 baud 8N1, 1024-byte chunks (%d pairs, %s)\n",
        pairs, describe(spinners.get()).c_str());
    std::printf("  line time                  %.3f s (%.0f bytes both ways)\n", line, bytes);
    printRow("moduleflash", program, mebibytesPerSecond(program.wall.median()));
    printRow("floor (module_floor)", floor, mebibytesPerSecond(floor.wall.median()));
    std::printf("  efficiency moduleflash     %.2f %% (floor %.2f %%)   target >= 98 %%: %s\n",
        100 * line / program.wall.median(), 100 * line / floor.wall.median(),
        verdict(line / program.wall.median() >= 0.98).c_str());
}

void moduleNetwork(const Tools& tools, int pairs, const std::string& emulatorNs, const std::string& clientNs,
    const std::string& address) {
    Figures program, nagle, noDelay;
    ModulePath path;
    path.address = address;
    path.emulatorPrefix = {"ip", "netns", "exec", emulatorNs};
    path.clientPrefix = {"ip", "netns", "exec", clientNs};
    for (int i = 0; i < pairs; ++i) {
        record(program, runModule(tools, path, ModuleClient::Program));
        record(nagle, runModule(tools, path, ModuleClient::Floor));
        record(noDelay, runModule(tools, path, ModuleClient::FloorNoDelay));
    }
    std::printf(
        "\nmoduleflash: the same upload between two network namespaces over a veth pair, MTU 1500 (%d runs each)\n",
        pairs);
    printRow("moduleflash", program, mebibytesPerSecond(program.wall.median()));
    printRow("floor, Nagle on", nagle, mebibytesPerSecond(nagle.wall.median()));
    printRow("floor, TCP_NODELAY", noDelay, mebibytesPerSecond(noDelay.wall.median()));
    std::printf("  ratio moduleflash/floor with TCP_NODELAY %s\n", pairRatios(program, noDelay).spread(3).c_str());
}

// True when `figure` is in the comma-separated `only` list, or the list is empty.
bool chosen(const std::string& only, const std::string& figure) {
    return only.empty() || ("," + only + ",").find("," + figure + ",") != std::string::npos;
}

int positive(const char* text) {
    int value = std::atoi(text);
    if (value < 1) die(std::string("not a count: ") + text);
    return value;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        die("usage: bench_driver BUILD_DIR [--pairs N] [--paced-pairs N] [--only FIGURES] "
            "[--paced-cpus awake|idle|both] [--netns EMU_NS CLIENT_NS ADDRESS]");
    char* resolved = realpath(argv[1], nullptr);
    if (resolved == nullptr) die(std::string("no build folder ") + argv[1]);
    const std::string build = resolved;
    std::free(resolved);
    int pairs = 5, pacedPairs = 2;
    std::string emulatorNs, clientNs, address, only;
    std::vector<PacedCpus> pacedCpus{PacedCpus::Awake, PacedCpus::Idle};
    for (int i = 2; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--pairs" && i + 1 < argc) {
            pairs = positive(argv[++i]);
        } else if (option == "--paced-pairs" && i + 1 < argc) {
            pacedPairs = positive(argv[++i]);
        } else if (option == "--only" && i + 1 < argc) {
            only = argv[++i];
        } else if (option == "--paced-cpus" && i + 1 < argc) {
            std::string mode = argv[++i];
            if (mode == "awake")
                pacedCpus = {PacedCpus::Awake};
            else if (mode == "idle")
                pacedCpus = {PacedCpus::Idle};
            else if (mode != "both")
                die("--paced-cpus takes awake, idle or both, not " + mode);
        } else if (option == "--netns" && i + 3 < argc) {
            emulatorNs = argv[++i];
            clientNs = argv[++i];
            address = argv[++i];
        } else {
            die("unknown option " + option);
        }
    }
    Tools tools{build + "/panelflash/panelflash", build + "/emulators/panel/panel-emulator",
        build + "/bench/panel_floor", build + "/moduleflash/moduleflash", build + "/emulators/module/module-emulator",
        build + "/bench/module_floor", "", "", ""};
    char work[] = "/tmp/fieldflash-bench-XXXXXX";
    if (mkdtemp(work) == nullptr) die("no scratch folder");
    tools.work = work;
    makeImages(tools);

    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("fieldflash benchmarks: medians, (min-max) over the runs; program and floor alternate\n");
    if (chosen(only, "panel")) panelFullSpeed(tools, pairs);
    if (chosen(only, "module")) moduleLoopback(tools, pairs);
    if (!emulatorNs.empty() && chosen(only, "netns")) moduleNetwork(tools, pairs, emulatorNs, clientNs, address);
    for (PacedCpus cpus : pacedCpus) {
        if (chosen(only, "panel-paced")) panelPaced(tools, pacedPairs, cpus);
        if (chosen(only, "module-paced")) modulePaced(tools, pacedPairs, cpus);
    }
    std::system(("rm -rf " + tools.work).c_str());
    return 0;
}
