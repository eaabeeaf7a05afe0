// Collects the debug messages written while it lives, as Qt hands them to a
// message handler: already quoted and escaped by the debug stream.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

class CapturedLog {
public:
    CapturedLog();
    ~CapturedLog();
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;

    QStringList lines() const;
    bool allDebugMessages() const;

private:
    QtMessageHandler previous;
};
