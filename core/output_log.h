// The output log of the main window: status lines, chat lines and multi player results in
// the "Status and Chat" frame, one line after another, CR LF between them.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/forms.h"

namespace kestrin {

// A piece of a log line: the game's own words, or what a player wrote (a name, a chat line,
// everything the other player sent), which the view sets apart so that its script cannot
// reorder the line around it.
struct LogPiece {
    LogPiece(const char* own) : text(own) {}         // NOLINT(google-explicit-constructor)
    LogPiece(const std::string& own) : text(own) {}  // NOLINT(google-explicit-constructor)
    LogPiece(std::string_view piece, bool setApart) : text(piece), apart(setApart) {}
    std::string_view text;
    bool apart = false;
};
// What a player wrote, as a piece of a log line.
inline LogPiece written(std::string_view text) { return {text, true}; }

class OutputLog {
public:
    // The log's text box, and the chat box that a chat line hands the keyboard focus to.
    OutputLog(forms::TextBox& log, forms::TextBox& chat) : log_(log), chat_(chat) {}

    // Adds a line and shows it. With focusChat the chat box takes the focus, its caret at
    // the end of what is typed there.
    void AddOutput(const std::string& text, bool focusChat);
    // The same, for a line made of pieces: the view sets the written ones apart.
    void AddOutput(std::initializer_list<LogPiece> pieces, bool focusChat);
    void clear();

private:
    forms::TextBox& log_;
    forms::TextBox& chat_;
};

}  // namespace kestrin
