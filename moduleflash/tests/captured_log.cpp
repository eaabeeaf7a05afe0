#include "captured_log.h"

namespace {

QStringList capturedLines;
bool onlyDebugMessages = true;

void capture(QtMsgType type, const QMessageLogContext&, const QString& message) {
    capturedLines.append(message);
    onlyDebugMessages = onlyDebugMessages && type == QtDebugMsg;
}

}  // namespace

CapturedLog::CapturedLog() {
    capturedLines.clear();
    onlyDebugMessages = true;
    previous = qInstallMessageHandler(capture);
}

CapturedLog::~CapturedLog() { qInstallMessageHandler(previous); }

QStringList CapturedLog::lines() const { return capturedLines; }

bool CapturedLog::allDebugMessages() const { return onlyDebugMessages; }
