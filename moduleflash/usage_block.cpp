#include "usage_block.h"

#include "result_log.h"

void writeUsage() {
    static const char* const lines[] = {
        "Command line parameters:",
        "ComPort=ttyUSB0 in order to use the ttyUSB0 com port",
        "FileIn=NorvelWaveLink.bin in order to specify the firmware file with full path",
        "FirmwareVersionGetOnly in order to get firmware version and exit",
        "ConnectionType=ComPort in order to connect to device by ComPort",
        "ConnectionType=Tcp in order to connect to device by tcp",
        "RemoteAddress=192.168.1.1 tcp device address",
        "RemoteSocket=3000 tcp device socket",
    };
    for (const char* line : lines) logResult(ResultStep::usage, 0, QString::fromLatin1(line));
}
