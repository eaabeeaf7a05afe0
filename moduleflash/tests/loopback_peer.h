// A module stand-in on 127.0.0.1: a listening socket whose one connection is
// served on a thread of its own by a plain blocking function, so the program's
// blocking exchange runs on the test thread against a real TCP peer.
// Destroying the peer shuts its connection down, so a serving function blocked
// on a connection the test never closed (an assertion ended the test early)
// returns and the thread can be joined.
#pragma once

#include <QByteArray>

#include <functional>
#include <mutex>
#include <thread>

class LoopbackPeer {
public:
    // The function gets the accepted connection and returns what it read.
    explicit LoopbackPeer(std::function<QByteArray(int connection)> serve);
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    int port() const;
    // Waits for the serving function to end and gives what it read.
    QByteArray finish();

    // Helpers for serving functions; both return false once the link is gone.
    static bool readExactly(int connection, QByteArray& into, int count);
    static bool sendAll(int connection, const QByteArray& bytes);
    // Reads until the program closes the connection.
    static void readToEnd(int connection, QByteArray& into);

private:
    int listener = -1;
    int boundPort = 0;
    QByteArray received;
    std::mutex connectionLock;  // guards the two fields below
    int connection = -1;        // the accepted connection while it is served
    bool closing = false;       // the destructor has begun: serve nothing more
    std::thread server;
};
