// Result log: every line the program writes is "step|value|message", sent as
// one QString through Qt's debug stream with its default settings, so Qt's
// default handler prints it quoted and escaped, one line on standard error.
#pragma once

#include <QString>

// The stage of a run that a line reports. The codes do not follow the order
// of a run (0, 2, 1, 3, 5, 6, 4, 8), and two codes serve two stages each,
// which only the message tells apart.
enum class ResultStep {
    connection = 0,            // choice of transport, serial port, TCP connection
    signature = 1,             // the TCP signature
    firmwareFile = signature,  // the firmware file
    versionQuery = 2,
    checksumSwitch = 3,
    uploadEnd = 4,  // end of the upload and its confirmation
    uploadInitialise = 5,
    firmwarePacket = 6,
    usage = 7,              // the usage block
    checksumError = usage,  // a reply whose checksum does not match
    restart = 8,
};

// The unquoted text of one result line.
QString resultLineText(ResultStep step, int value, const QString& message);

// Writes one result line through the debug log.
void logResult(ResultStep step, int value, QString message);
