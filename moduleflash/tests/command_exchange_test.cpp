// sendCommand over a real loopback connection opened by openTcpDevice.
#include "captured_log.h"
#include "command_exchange.h"
#include "device_connection.h"
#include "loopback_peer.h"
#include "read_buffer_limit.h"
#include "scripted_device.h"

#include <QElapsedTimer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <string>

namespace {

const QByteArray signature("x5k9q2w7m3j8z1v6r4t0y8p2n6b3h7d");

class CommandExchange : public testing::Test {
protected:
    void connectTo(const LoopbackPeer& peer) {
        const std::string portWord = "RemoteSocket=" + std::to_string(peer.port());
        const char* words[] = {"moduleflash", "RemoteAddress=127.0.0.1", portWord.c_str()};
        CapturedLog log;
        ASSERT_TRUE(openTcpDevice(3, words, session));
        ASSERT_EQ(log.lines(), QStringList{QStringLiteral("\"0|0|Connected\"")});
    }

    void TearDown() override { setChecksumMode(false); }

    ModuleSession session;
};

TEST_F(CommandExchange, FramesTheCommandAndTakesEverythingBufferedWithTheLine) {
    LoopbackPeer peer([](int connection) {
        QByteArray read;
        LoopbackPeer::readExactly(connection, read, signature.size() + 7);
        LoopbackPeer::sendAll(connection, "OK154\nmore");
        LoopbackPeer::readToEnd(connection, read);
        return read;
    });
    connectTo(peer);
    setChecksumMode(true);
    const QByteArray command("abc");
    QByteArray reply("stale");

    // The peer's reply and the bytes after it go out in one send.
    ASSERT_TRUE(sendCommand(*session.device, command, reply, true));
    EXPECT_EQ(reply, "OK154\nmore");
    EXPECT_EQ(command, "abc");

    session.device.reset();
    EXPECT_EQ(peer.finish(), signature + "abc038\n");
}

TEST_F(CommandExchange, SilentModuleFailsAfterItsWaitsWithAnEmptyReply) {
    LoopbackPeer peer([](int connection) {
        QByteArray read;
        LoopbackPeer::readToEnd(connection, read);
        return read;
    });
    connectTo(peer);
    QByteArray reply("stale");
    QElapsedTimer clock;
    clock.start();

    EXPECT_FALSE(sendCommand(*session.device, QByteArray("atFirmwareVersionGet"), reply, true));
    EXPECT_GE(clock.elapsed(), 5000);
    EXPECT_LT(clock.elapsed(), 9000);
    EXPECT_TRUE(reply.isEmpty());

    session.device.reset();
    EXPECT_EQ(peer.finish(), signature + "atFirmwareVersionGet\n");
}

// A peer that streams bytes without ever ending a line must not grow the
// process: the device buffers a bounded amount and the exchange fails.
TEST_F(CommandExchange, FloodWithoutLineFeedIsBoundedAndFails) {
    LoopbackPeer peer([](int connection) {
        const QByteArray block(4096, 'x');
        while (LoopbackPeer::sendAll(connection, block)) {
        }
        return QByteArray();
    });
    connectTo(peer);
    QByteArray reply;
    QElapsedTimer clock;
    clock.start();

    EXPECT_FALSE(sendCommand(*session.device, QByteArray("atFirmwareVersionGet"), reply, true));
    EXPECT_LT(clock.elapsed(), 9000);
    EXPECT_TRUE(reply.isEmpty());
    EXPECT_GT(session.device->bytesAvailable(), 0);
    EXPECT_LE(session.device->bytesAvailable(), 64 * 1024);

    session.device.reset();  // the peer's next send fails and it ends
    peer.finish();
}

// A TCP socket set up as openTcpDevice sets it up, that counts its waits.
class WaitCountingSocket : public QTcpSocket {
public:
    int waits = 0;

    bool waitForReadyRead(int msecs) override {
        ++waits;
        return QTcpSocket::waitForReadyRead(msecs);
    }
};

// Once the bounded buffer is full without a line feed the device takes no
// more bytes, so the exchange gives up there instead of spinning through
// the rest of its 51 waits.
TEST_F(CommandExchange, FullBufferWithoutLineFeedEndsTheWaitsAtOnce) {
    LoopbackPeer peer([](int connection) {
        const QByteArray block(4096, 'x');
        while (LoopbackPeer::sendAll(connection, block)) {
        }
        return QByteArray();
    });
    WaitCountingSocket socket;
    socket.setReadBufferSize(readBufferLimit);
    socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(peer.port()));
    ASSERT_TRUE(socket.waitForConnected(5000));
    QByteArray reply;

    EXPECT_FALSE(sendCommand(socket, QByteArray("atFirmwareVersionGet"), reply, true));
    EXPECT_TRUE(reply.isEmpty());
    EXPECT_EQ(socket.bytesAvailable(), readBufferLimit);
    // The peer sends blocks of 4 KiB, so at most 16 waits fill the buffer.
    EXPECT_LE(socket.waits, int(readBufferLimit / 4096));

    socket.abort();  // the peer's next send fails and it ends
    peer.finish();
}

struct BoundaryCase {
    const char* name;
    bool firstPieceAtOnce;  // one piece is there before the first wait
    int piecesAfterWaits;   // pieces that arrive one per wait; the line feed comes with the last
    bool expected;
    int waits;
};

// One line test before the first wait and one after each of the first 50
// waits: the line must be complete with the 50th arrival.
TEST(ReplyWaits, LineFeedMustComeByTheFiftiethArrival) {
    const BoundaryCase cases[] = {
        {"at once", true, 0, true, 0},
        {"first wait", false, 1, true, 1},
        {"50th wait", false, 50, true, 50},
        {"51st wait", false, 51, false, 51},
        {"one piece early, 50 waits", true, 50, true, 50},
        {"one piece early, 51 waits", true, 51, false, 51},
    };
    for (const BoundaryCase& c : cases) {
        ScriptedDevice device;
        device.peer = [&c, &device](const QByteArray&) {
            if (c.firstPieceAtOnce) device.arriveNow(c.piecesAfterWaits == 0 ? "OK\n" : "O");
            for (int piece = 1; piece <= c.piecesAfterWaits; ++piece)
                device.queuePiece(piece == c.piecesAfterWaits ? "K\n" : "K");
        };
        QByteArray reply;
        EXPECT_EQ(sendCommand(device, QByteArray("atRestartSet"), reply, true), c.expected) << c.name;
        EXPECT_EQ(device.waitsSinceWrite, c.waits) << c.name;
        EXPECT_EQ(reply.endsWith("K\n"), c.expected) << c.name;
    }
}

}  // namespace
