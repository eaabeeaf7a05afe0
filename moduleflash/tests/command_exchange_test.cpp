// sendCommand over a real loopback connection opened by openTcpDevice.
#include "captured_log.h"
#include "checksum_framing.h"
#include "command_exchange.h"
#include "device_connection.h"
#include "loopback_peer.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <string>

namespace {

const QByteArray signature("x5k9q2w7m3j8z1v6r4t0y8p2n6b3h7d");

class CommandExchange : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "command_exchange_test";
        static char *argv[] = {name, nullptr};
        static QCoreApplication application(argc, argv);
    }

    void connectTo(const LoopbackPeer &peer)
    {
        const std::string portWord = "RemoteSocket=" + std::to_string(peer.port());
        const char *words[] = {"moduleflash", "RemoteAddress=127.0.0.1", portWord.c_str()};
        CapturedLog log;
        ASSERT_TRUE(openTcpDevice(3, words, session));
        ASSERT_EQ(log.lines(), QStringList{QStringLiteral("\"0|0|Connected\"")});
    }

    void TearDown() override { checksumMode = false; }

    ModuleSession session;
};

TEST_F(CommandExchange, FramesTheCommandAndTakesEverythingBufferedWithTheLine)
{
    LoopbackPeer peer([](int connection) {
        QByteArray read;
        LoopbackPeer::readExactly(connection, read, signature.size() + 7);
        LoopbackPeer::sendAll(connection, "OK154\nmore");
        LoopbackPeer::readToEnd(connection, read);
        return read;
    });
    connectTo(peer);
    checksumMode = true;
    const QByteArray command("abc");
    QByteArray reply("stale");

    // The peer's reply and the bytes after it go out in one send.
    ASSERT_TRUE(sendCommand(*session.device, command, reply, true));
    EXPECT_EQ(reply, "OK154\nmore");
    EXPECT_EQ(command, "abc");

    session.device.reset();
    EXPECT_EQ(peer.finish(), signature + "abc038\n");
}

TEST_F(CommandExchange, SilentModuleFailsAfterItsWaitsWithAnEmptyReply)
{
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
TEST_F(CommandExchange, FloodWithoutLineFeedIsBoundedAndFails)
{
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

} // namespace
