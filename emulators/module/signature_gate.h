// Admits a TCP connection only when its first bytes are the fixed 31-byte
// signature. Bytes are compared as they arrive, so a wrong first byte is
// refused at once; whatever follows the signature is handed on.
#pragma once

#include <string>
#include <string_view>

namespace module_emulator {

inline constexpr std::string_view connectionSignature = "x5k9q2w7m3j8z1v6r4t0y8p2n6b3h7d";

class SignatureGate {
public:
    enum class State { Pending, Passed, Rejected };

    // Returns the state after `bytes`; once Passed, `after` receives the
    // bytes that followed the signature in this and every later feed.
    State feed(std::string_view bytes, std::string& after);

    State state() const { return state_; }

    // What arrived instead of the signature, for the log.
    const std::string& received() const { return received_; }

private:
    std::string received_;
    State state_ = State::Pending;
};

}  // namespace module_emulator
