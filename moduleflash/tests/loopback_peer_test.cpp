// The loopback peer must never turn a failed test into a hang: a test that
// ends early leaves the program's side of the connection open, and the peer's
// serving function is then still blocked on it when the peer is destroyed.
#include "loopback_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>

namespace {

using namespace std::chrono_literals;

int connectTo(int port) {
    const int client = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(quint16(port));
    if (client >= 0 && ::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(client);
        return -1;
    }
    return client;
}

TEST(LoopbackPeer, DestroyingItEndsAServeBlockedOnAConnectionLeftOpen) {
    auto peer = std::make_unique<LoopbackPeer>([](int connection) {
        QByteArray read;
        LoopbackPeer::sendAll(connection, "ready");
        LoopbackPeer::readToEnd(connection, read);
        return read;
    });
    const int client = connectTo(peer->port());
    ASSERT_GE(client, 0);
    // Once the greeting is here the peer is serving: blocked reading.
    QByteArray greeting;
    ASSERT_TRUE(LoopbackPeer::readExactly(client, greeting, 5));

    auto destroyed = std::async(std::launch::async, [&peer] { peer.reset(); });
    const bool ended = destroyed.wait_for(10s) == std::future_status::ready;
    ::close(client);  // releases a destructor that waits for the program's side
    destroyed.wait();
    EXPECT_TRUE(ended) << "the peer waited for a connection nobody closes";
}

}  // namespace
