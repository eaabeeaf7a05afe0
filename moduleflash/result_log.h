// Result log: every line the program writes is "step|value|message", sent as
// one QString through Qt's debug stream with its default settings, so Qt's
// default handler prints it quoted and escaped, one line on standard error.
#pragma once

#include <QString>

// The unquoted text of one result line.
QString resultLineText(int step, int value, const QString &message);

// Writes one result line through the debug log.
void logResult(int step, int value, QString message);
