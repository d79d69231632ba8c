// The output log of the main window: status lines, chat lines and multi player results in
// the "Status and Chat" frame, one line after another, CR LF between them.
#pragma once

#include <string>

#include "platform/forms.h"

namespace kestrin {

class OutputLog {
public:
    // The log's text box, and the chat box that a chat line hands the keyboard focus to.
    OutputLog(forms::TextBox& log, forms::TextBox& chat) : log_(log), chat_(chat) {}

    // Adds a line and shows it. With focusChat the chat box takes the focus, its caret at
    // the end of what is typed there.
    void AddOutput(const std::string& text, bool focusChat);
    void clear();

private:
    forms::TextBox& log_;
    forms::TextBox& chat_;
};

}  // namespace kestrin
