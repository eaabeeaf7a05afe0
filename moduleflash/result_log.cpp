#include "result_log.h"

#include <QDebug>
#include <QMessageLogger>

QString resultLineText(ResultStep step, int value, const QString& message) {
    return QString::number(int(step), 10) + QLatin1Char('|') + QString::number(value, 10) + QLatin1Char('|') + message;
}

void logResult(ResultStep step, int value, QString message) {
    QMessageLogger(nullptr, 0, nullptr).debug() << resultLineText(step, value, message);
}
