#include "result_log_setup.h"

#include <QLoggingCategory>
#include <QtGlobal>

void protectResultLog() {
    qunsetenv("QT_LOGGING_RULES");
    qunsetenv("QT_LOGGING_CONF");
    qunsetenv("QT_MESSAGE_PATTERN");
    // logResult writes debug messages of the default category.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=true"));
}
