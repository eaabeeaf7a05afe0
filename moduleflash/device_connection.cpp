#include "device_connection.h"

#include "command_line.h"
#include "read_buffer_limit.h"
#include "result_log.h"

#include <QSerialPort>
#include <QTcpSocket>

namespace {

constexpr int connectTimeoutMs = 7500;
constexpr int signatureTimeoutMs = 30000;
const char signature[] = "x5k9q2w7m3j8z1v6r4t0y8p2n6b3h7d";
constexpr qint64 signatureLength = sizeof signature - 1;  // no terminating zero on the wire

}  // namespace

bool openSerialDevice(int argc, const char* const* argv, ModuleSession& session) {
    auto port = std::make_unique<QSerialPort>();
    port->setReadBufferSize(readBufferLimit);
    port->setPortName(argumentValue(argc, argv, QStringLiteral("ComPort")));
    // Stops at the first refusal; the remaining settings are not tried.
    const bool ready = port->open(QIODevice::ReadWrite) && port->setBaudRate(115200, QSerialPort::AllDirections) &&
                       port->setDataBits(QSerialPort::Data8) && port->setParity(QSerialPort::NoParity) &&
                       port->setStopBits(QSerialPort::OneStop) && port->setFlowControl(QSerialPort::NoFlowControl);
    if (!ready) {
        logResult(ResultStep::connection, -1, QStringLiteral("Unable to open serial port!!!"));
        return false;
    }
    logResult(ResultStep::connection, 0, QStringLiteral("Serial port open"));
    session.device = std::move(port);
    return true;
}

bool openTcpDevice(int argc, const char* const* argv, ModuleSession& session) {
    auto socket = std::make_unique<QTcpSocket>();
    socket->setReadBufferSize(readBufferLimit);
    // Only the low 16 bits of the number make the port; no number gives 0.
    const auto port = quint16(argumentValue(argc, argv, QStringLiteral("RemoteSocket")).toInt(nullptr, 10));
    const QString host = argumentValue(argc, argv, QStringLiteral("RemoteAddress"));
    socket->connectToHost(host, port, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
    if (!socket->waitForConnected(connectTimeoutMs)) {
        logResult(ResultStep::connection, -1, QStringLiteral("Connection error!!!"));
        return false;
    }
    logResult(ResultStep::connection, 0, QStringLiteral("Connected"));
    socket->write(signature, signatureLength);
    if (!socket->waitForBytesWritten(signatureTimeoutMs)) {
        logResult(ResultStep::signature, -1, QStringLiteral("Unable to send signature!!!"));
        return false;
    }
    session.device = std::move(socket);
    return true;
}
