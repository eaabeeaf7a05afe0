// One connection served from start to end: bytes are read as they arrive,
// checked against the signature (TCP), cut into commands, answered by the
// module's state machine, altered by the fault plan and written back, on a
// paced line only as fast as its baud rate carries the bytes. The
// session ends when the peer closes or hangs up, or on a stop request.
#pragma once

#include <chrono>
#include <string>

#include "command_framer.h"
#include "emulator_options.h"
#include "line_pacer.h"
#include "module_protocol.h"
#include "output_files.h"
#include "signature_gate.h"

namespace module_emulator {

class EmulatorSession {
public:
    explicit EmulatorSession(const EmulatorOptions& options);

    bool openCommandLog() { return commandLog_.open(options_.commandLog); }

    // Serves `fd` until the peer goes or `stopFd` becomes readable.
    void serve(int fd, bool requireSignature, int stopFd);

    // Writes the firmware file, if one was asked for.
    void saveFirmware() const;

private:
    enum class Flow { Continue, End };

    // Holds back the signature; false when the connection must be dropped.
    bool admit(std::string_view& bytes);
    Flow onBytes(std::string_view bytes, int fd);
    Flow answer(const Command& command, int fd);
    Flow flood(int fd);
    std::string describe(const Command& command) const;

    const EmulatorOptions& options_;
    ModuleProtocol protocol_;
    SignatureGate gate_;
    std::string admitted_;
    CommandFramer framer_;
    CommandLog commandLog_;
    unsigned commandCount_ = 0;
    LinePacer pacer_;
    // When the bytes read last had come down the line: a command they
    // complete is answered from then on.
    LinePacer::Clock::time_point lastArrival_{};
};

}  // namespace module_emulator
