#include "core/output_log.h"

namespace kestrin {

void OutputLog::AddOutput(const std::string& text, bool focusChat) {
    // Only the new line is added: the log grows without copying what it holds, and its caret,
    // always at the end, stays there, so the box shows the last line.
    log_.append(log_.text().empty() ? text : "\r\n" + text);
    if (focusChat) {
        chat_.setSelStart(chat_.text().size());
        chat_.setFocus();
    }
}

void OutputLog::clear() { log_.setText(""); }

}  // namespace kestrin
