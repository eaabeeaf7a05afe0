// The result lines go through Qt's debug log; a fuzz run drops them so that
// the fuzzer's own report stays readable.
#pragma once

#include <QtGlobal>

inline void dropLogMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

inline void silenceResultLog() { qInstallMessageHandler(dropLogMessage); }
