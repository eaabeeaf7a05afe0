// The two exchanges that open every update: the firmware version query and
// the switch to checksum mode. A module that already expects checksums
// answers the plain query with "ERROR138"; the query is then sent once more
// with a checksum, and checksum mode needs no further command.
#pragma once

#include <QByteArray>
#include <QIODevice>

// Asks for the firmware version; on true the reply holds the version text
// (its checksum stripped when checksum mode is on and the digits match).
bool queryFirmwareVersion(QIODevice& device, QByteArray& reply);

// Brings the module and the program into checksum mode; true at once when the
// mode is on already.
bool enableChecksum(QIODevice& device);
