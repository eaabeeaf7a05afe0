#include "loopback_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

LoopbackPeer::LoopbackPeer(std::function<QByteArray(int connection)> serve) {
    listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener, 1) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot listen on loopback");
    boundPort = ntohs(address.sin_port);
    server = std::thread([this, serve] {
        const int accepted = ::accept(listener, nullptr, nullptr);
        if (accepted < 0) return;
        {
            const std::lock_guard<std::mutex> guard(connectionLock);
            if (closing) {
                ::close(accepted);
                return;
            }
            connection = accepted;
        }
        received = serve(accepted);
        const std::lock_guard<std::mutex> guard(connectionLock);
        connection = -1;
        ::close(accepted);
    });
}

LoopbackPeer::~LoopbackPeer() {
    if (server.joinable()) {
        {
            const std::lock_guard<std::mutex> guard(connectionLock);
            closing = true;
            // Ends a wait on a connection that the program side left open.
            if (connection >= 0) ::shutdown(connection, SHUT_RDWR);
        }
        ::shutdown(listener, SHUT_RDWR);  // releases a peer still waiting in accept
        server.join();
    }
    ::close(listener);
}

int LoopbackPeer::port() const { return boundPort; }

QByteArray LoopbackPeer::finish() {
    server.join();
    return received;
}

bool LoopbackPeer::readExactly(int connection, QByteArray& into, int count) {
    char byte;
    for (int index = 0; index < count; ++index) {
        if (::recv(connection, &byte, 1, 0) != 1) return false;
        into.append(byte);
    }
    return true;
}

bool LoopbackPeer::sendAll(int connection, const QByteArray& bytes) {
    qint64 sent = 0;
    while (sent < bytes.size()) {
        const ssize_t now = ::send(connection, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (now <= 0) return false;
        sent += now;
    }
    return true;
}

void LoopbackPeer::readToEnd(int connection, QByteArray& into) {
    char buffer[4096];
    ssize_t count;
    while ((count = ::recv(connection, buffer, sizeof buffer, 0)) > 0) into.append(buffer, int(count));
}
