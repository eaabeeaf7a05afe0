// The result lines are a run's only account, so nothing outside the command
// line may hide or reshape them. Qt takes its logging rules from qtlogging.ini
// files (the system's and the user's configuration folders), then from
// QLoggingCategory::setFilterRules, then from the QT_LOGGING_CONF file and the
// QT_LOGGING_RULES variable, a later rule winning over an earlier one; its
// message pattern comes from QT_MESSAGE_PATTERN. The three variables are
// removed before Qt reads them, and one rule set through the API, which
// outranks every ini file, keeps the default category's debug output on. No
// message handler and no pattern of our own: Qt's default output is the line.
#pragma once

// Call first in main, before the application object and the first line.
void protectResultLog();
