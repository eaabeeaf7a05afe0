// Turns what a terminal received from a console program back into the text
// the program wrote.
//
// Wine's console on a pseudo-terminal does not pass text through: it draws
// a screen. It hides the cursor around every write, draws a trailing blank by
// erasing to the end of the line and moving the cursor one column on, ends
// each line with CR LF, wraps lines at the screen width with a line end of
// its own, and expands tabs. A POSIX program's text arrives as written, with
// LF shown as CR LF. Both are replayed here on lines of cells with a cursor,
// as a terminal would show them, so the two can be compared as text: tabs to
// blanks at every eighth column, and lines that filled the screen width
// joined with the line after them when a width is given.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace wine_e2e {

class ConsoleText {
public:
    // wrapWidth: the console's line width, whose full lines continue on the
    // next; 0 for a terminal that does not break lines itself.
    explicit ConsoleText(std::size_t wrapWidth);

    // Replays more of the terminal's input.
    void feed(const std::string& bytes);
    // The lines completed so far, each with "\n", then the unfinished line.
    std::string text() const;
    std::size_t length() const { return done_.size() + line_.size(); }
    // Where `needle` first occurs in text() at or after `from`; npos if not.
    std::size_t find(const std::string& needle, std::size_t from) const;
    // Control sequences met that the replay does not know; empty when the
    // text can be trusted.
    const std::vector<std::string>& unknownSequences() const { return unknown_; }

private:
    void put(char character);
    void endLine();
    void control(const std::string& sequence);

    std::size_t wrapWidth_;
    std::string done_;  // completed lines
    std::string line_;  // cells of the current line
    std::size_t column_ = 0;
    std::string pending_;  // an unfinished control sequence
    std::vector<std::string> unknown_;
};

// The text of a whole transcript.
std::string consoleText(const std::string& bytes, std::size_t wrapWidth);

}  // namespace wine_e2e
