#include "signature_gate.h"

namespace module_emulator {

SignatureGate::State SignatureGate::feed(std::string_view bytes, std::string& after) {
    after.clear();
    if (state_ == State::Passed) {
        after.assign(bytes);
        return state_;
    }
    if (state_ == State::Rejected) return state_;

    const std::size_t wanted = connectionSignature.size() - received_.size();
    received_.append(bytes.substr(0, wanted));
    if (connectionSignature.substr(0, received_.size()) != received_) {
        state_ = State::Rejected;
    } else if (received_.size() == connectionSignature.size()) {
        state_ = State::Passed;
        if (bytes.size() > wanted) after.assign(bytes.substr(wanted));
    }
    return state_;
}

}  // namespace module_emulator
