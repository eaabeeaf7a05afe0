// Serial port on Windows: a COM port opened by its device path ("\\.\COM3")
// for synchronous I/O. The driver keeps the line settings and the time-outs,
// so a read waits for as long as the set-up's COMMTIMEOUTS say: the requested
// count or the total time-out, whichever comes first, without an interval
// time-out. Set-up and close are fixed sequences whose results are not
// examined; a step that fails leaves the rest to run.
#include <windows.h>

#include "platform/platform.h"

const char kDevicePathPrefix[] = "\\\\.\\";

struct PlatformPort {
    HANDLE handle;
};

namespace {

constexpr DWORD kQueueSize = 4096;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

BYTE stopBitsFor(uint8_t stopBits) { return stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT; }

}  // namespace

bool platformOpenPort(const char* devicePath, PortHandle& port) {
    // Share mode 0: no other program can open the port while this one holds it.
    HANDLE handle = CreateFileA(
        devicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    port = new PlatformPort{handle};
    return true;
}

void platformConfigurePort(PortHandle port, const PortSettings& settings, const PortTimeouts& timeouts) {
    HANDLE handle = port->handle;
    SetCommMask(handle, EV_RXCHAR);
    SetupComm(handle, kQueueSize, kQueueSize);

    COMMTIMEOUTS commTimeouts{};
    GetCommTimeouts(handle, &commTimeouts);
    commTimeouts.ReadIntervalTimeout = timeouts.readIntervalMs;
    commTimeouts.ReadTotalTimeoutMultiplier = timeouts.readTotalMultiplierMs;
    commTimeouts.ReadTotalTimeoutConstant = timeouts.readTotalConstantMs;
    commTimeouts.WriteTotalTimeoutMultiplier = timeouts.writeTotalMultiplierMs;
    commTimeouts.WriteTotalTimeoutConstant = timeouts.writeTotalConstantMs;
    SetCommTimeouts(handle, &commTimeouts);

    PurgeComm(handle, kPurgeAll);
    EscapeCommFunction(handle, SETDTR);
    EscapeCommFunction(handle, SETRTS);

    // Only these members change; flow control and the DTR and RTS control
    // modes stay as the driver reported them.
    DCB commState{};
    commState.DCBlength = sizeof commState;
    GetCommState(handle, &commState);
    commState.BaudRate = settings.baudRate;
    commState.fBinary = settings.binary ? 1 : 0;
    commState.fParity = settings.parityChecking ? 1 : 0;
    commState.fAbortOnError = settings.abortOnError ? 1 : 0;
    commState.ByteSize = settings.dataBits;
    commState.Parity = settings.parityChecking ? EVENPARITY : NOPARITY;
    commState.StopBits = stopBitsFor(settings.stopBits);
    SetCommState(handle, &commState);
}

void platformClosePort(PortHandle port) {
    HANDLE handle = port->handle;
    SetCommMask(handle, 0);
    EscapeCommFunction(handle, CLRDTR);
    EscapeCommFunction(handle, CLRRTS);
    PurgeComm(handle, kPurgeAll);
    CloseHandle(handle);
    delete port;
}

void platformWritePort(PortHandle port, const uint8_t* data, size_t length) {
    // Without a write time-out the call returns when the driver has taken
    // every byte; a failure shows in the read that follows.
    DWORD written = 0;
    WriteFile(port->handle, data, static_cast<DWORD>(length), &written, nullptr);
}

bool platformReadPort(PortHandle port, uint8_t* buffer, size_t count, size_t& received) {
    DWORD arrived = 0;
    BOOL lineOk = ReadFile(port->handle, buffer, static_cast<DWORD>(count), &arrived, nullptr);
    received = arrived;
    return lineOk != FALSE;
}
