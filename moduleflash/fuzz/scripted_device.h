// An in-memory sequential QIODevice for the fuzz targets: every write is
// recorded and handed to a peer, which queues the reply as pieces; each
// waitForReadyRead delivers the next piece at once (no real waiting), and
// returns false when none is left. A piece can also be there at once, before
// any wait. waitForBytesWritten answers as told.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>

#include <cstring>
#include <functional>

class ScriptedDevice : public QIODevice {
public:
    std::function<void(const QByteArray& command)> peer;
    QList<QByteArray> writes;
    bool writeConfirmed = true;
    int waitsSinceWrite = 0;
    int mostWaitsInOneExchange = 0;

    ScriptedDevice() { open(QIODevice::ReadWrite); }

    void queuePiece(const QByteArray& piece) { pieces.append(piece); }
    void arriveNow(const QByteArray& piece) { arrived.append(piece); }
    void dropQueuedPieces() { pieces.clear(); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return arrived.size() + QIODevice::bytesAvailable(); }
    bool canReadLine() const override { return arrived.contains('\n') || QIODevice::canReadLine(); }
    bool waitForBytesWritten(int) override { return writeConfirmed; }

    bool waitForReadyRead(int) override {
        ++waitsSinceWrite;
        mostWaitsInOneExchange = qMax(mostWaitsInOneExchange, waitsSinceWrite);
        if (pieces.isEmpty()) return false;
        arrived.append(pieces.takeFirst());
        emit readyRead();
        return true;
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 count = qMin<qint64>(maxSize, arrived.size());
        if (count > 0) memcpy(data, arrived.constData(), size_t(count));
        arrived.remove(0, int(count));
        return count;
    }

    qint64 writeData(const char* data, qint64 size) override {
        waitsSinceWrite = 0;
        writes.append(QByteArray(data, int(size)));
        if (peer) peer(writes.last());
        return size;
    }

private:
    QList<QByteArray> pieces;
    QByteArray arrived;
};
