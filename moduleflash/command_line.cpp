#include "command_line.h"

bool hasArgument(int argc, const char* const* argv, const QString& key) {
    for (int index = 0; index < argc; ++index) {
        if (QString::fromUtf8(argv[index]).compare(key, Qt::CaseSensitive) == 0) return true;
    }
    return false;
}

QString argumentValue(int argc, const char* const* argv, const QString& key) {
    for (int index = 0; index < argc; ++index) {
        const QString word = QString::fromUtf8(argv[index]);
        const int separator = word.indexOf(QLatin1Char('='));
        // The value keeps any further "=", so paths such as "/fw/build=7.bin" survive.
        if (separator >= 0 && word.left(separator).compare(key, Qt::CaseSensitive) == 0) return word.mid(separator + 1);
    }
    return QString();
}
