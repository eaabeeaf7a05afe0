#include "signature_gate.h"

#include <gtest/gtest.h>

using namespace module_emulator;
using State = SignatureGate::State;

TEST(SignatureGate, PassesTheSignatureInPiecesAndHandsOnWhatFollows) {
    SignatureGate gate;
    std::string after;
    const std::string signature(connectionSignature);
    EXPECT_EQ(gate.feed(signature.substr(0, 10), after), State::Pending);
    EXPECT_EQ(gate.feed(signature.substr(10) + "atFirm", after), State::Passed);
    EXPECT_EQ(after, "atFirm");
    EXPECT_EQ(gate.feed("wareVersionGet\n", after), State::Passed);
    EXPECT_EQ(after, "wareVersionGet\n");
}

TEST(SignatureGate, RefusesAtTheFirstWrongByte) {
    for (const std::string& start :
        {std::string("atFirmwareVersionGet\n"), std::string("x5k9q2w7m3j8z1v6r4t0y8p2n6b3h7D"), std::string("X")}) {
        SignatureGate gate;
        std::string after;
        EXPECT_EQ(gate.feed(start, after), State::Rejected) << start;
        EXPECT_EQ(gate.feed(std::string(connectionSignature), after), State::Rejected) << start;
        EXPECT_TRUE(after.empty());
    }
}
