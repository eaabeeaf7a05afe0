// One Wine prefix for the whole test run, with one persistent server.
//
// The prefix is made fresh in a temporary directory (wineboot -i), told to
// use Wine's null graphics driver (so the open-file dialog runs without a
// display) before the server that serves the tests starts, and warmed up
// once so that Wine's background services are started with their output
// going to a log, never to a test's pipes or terminal. The server's own
// output goes to a log too. At the end the server is stopped and the prefix
// removed.
#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace wine_e2e {

class WineSetup : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
};

// The environment every Wine program of the tests runs with.
std::vector<std::pair<std::string, std::string>> wineEnvironment();
// The prefix's folder of device links (comN -> /dev/pts/M).
std::string dosDevices();
// Where the programs' own messages to standard error are collected.
std::string wineLog();

}  // namespace wine_e2e
