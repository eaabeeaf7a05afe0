#include "result_log.h"

#include <QDebug>
#include <QMessageLogger>

QString resultLineText(int step, int value, const QString &message)
{
    return QString::number(step, 10) + QLatin1Char('|') + QString::number(value, 10)
        + QLatin1Char('|') + message;
}

void logResult(int step, int value, QString message)
{
    QMessageLogger(nullptr, 0, nullptr).debug() << resultLineText(step, value, message);
}
