#include "core/output_log.h"

namespace kestrin {

void OutputLog::AddOutput(const std::string& text, bool focusChat) { AddOutput({LogPiece(text)}, focusChat); }

void OutputLog::AddOutput(std::initializer_list<LogPiece> pieces, bool focusChat) {
    // Only the new line is added: the log grows without copying what it holds, and its caret,
    // always at the end, stays there, so the box shows the last line.
    std::string line = log_.text().empty() ? "" : "\r\n";
    std::vector<forms::TextBox::Span> apart;
    for (const LogPiece& piece : pieces) {
        if (piece.apart) apart.push_back({line.size(), line.size() + piece.text.size()});
        line += piece.text;
    }
    log_.append(line, apart);
    if (focusChat) {
        chat_.setSelStart(chat_.text().size());
        chat_.setFocus();
    }
}

void OutputLog::clear() { log_.setText(""); }

}  // namespace kestrin
