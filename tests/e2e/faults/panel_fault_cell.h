// One cell of the panel updater's fault matrix: where in the update the
// emulated panel misbehaves (a frame number taken from the frame plan) and
// what it does there. Each fault names the emulator options that inject it.
#pragma once

#include "child_process.h"

#include <string>
#include <vector>

namespace fault_matrix {

enum class PanelFault { refused, silent, shortReply, garbage, hangUp, keyPress };

// Milliseconds the panel holds the reply back in a key-press cell, so that
// the key is surely pending when the updater has judged that reply.
constexpr unsigned kKeyWindowMs = 600;

std::string faultName(PanelFault fault);
std::vector<std::string> bootFaultOptions(PanelFault fault, unsigned frame);
std::vector<std::string> linkFaultOptions(PanelFault fault, unsigned frame);

// Waits for the emulator to log its random reply to a frame ("frame N" or
// "firmware frame K") and returns its bytes; empty when none was logged.
std::vector<unsigned> awaitGarbage(test_support::ChildProcess& emulator, const std::string& frameName);

}  // namespace fault_matrix
