// Command-line lookups. The whole configuration is the argument vector:
// flag words are tested for exact presence, key=value words are looked up by
// key. Every word is examined, the program name included, first word first.
#pragma once

#include <QString>

// True when one word equals the key exactly (case-sensitive, no trimming).
bool hasArgument(int argc, const char* const* argv, const QString& key);

// The text after the first "=" of the first word whose part before that "="
// equals the key; an empty string when no word carries the key.
QString argumentValue(int argc, const char* const* argv, const QString& key);
