#include "core/output_log.h"

namespace kestrin {

void OutputLog::AddOutput(const std::string& text, bool focusChat) {
    // Only the new line is added: the log grows without copying what it holds.
    log_.append(log_.text().empty() ? text : "\r\n" + text);
    log_.setSelStart(log_.text().size());
    if (focusChat) {
        chat_.setSelStart(chat_.text().size());
        chat_.setFocus();
    }
}

void OutputLog::clear() { log_.setText(""); }

}  // namespace kestrin
