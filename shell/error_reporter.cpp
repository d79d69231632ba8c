#include "shell/error_reporter.h"

#include <new>

#include "shell/identity.h"

namespace kestrin {

namespace {

constexpr const char* kLogFile = "ErrorLog.txt";
constexpr std::int32_t kNoFailure = 0;
constexpr std::int32_t kNeverReported = 20;  // "resume without error": nothing to tell

// The description on one line, so that every report stays one line of the log: each line
// break (CR LF, CR or LF) becomes a blank.
std::string oneLine(const std::string& text) {
    std::string line;
    line.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;  // the LF stands for both
        line += (text[i] == '\r' || text[i] == '\n') ? ' ' : text[i];
    }
    return line;
}

}  // namespace

std::string ErrorReporter::logPath() const { return joinPath(writeFolder_, kLogFile); }

void ErrorReporter::ReportError(const std::string& context, std::int32_t number, const std::string& description) {
    const std::string where = context.empty() ? "Unknown" : context;
    if (number == kNoFailure || number == kNeverReported) return;

    const std::string title = executableName_ + " Error " + decimal(number) + " in " + where;
    // Single carriage returns between the lines, as the box has always shown them.
    const std::string text = "The following error has occured:\r[ " + description + " ]\rPlease report errors to " +
                             identity::kSupportEmail + "\r";
    messageBox_.show(text, title, MessageButtons::Ok, MessageIcon::Critical);

    // Stamped when the box is dismissed. The player has seen the failure already, so a log
    // that cannot be written is passed over and the game goes on.
    try {
        files_.appendLine(logPath(), calendar_.nowText() + " Error " + decimal(number) + " in " + where + " - " +
                                         oneLine(description));
    } catch (const std::exception&) {
    }
}

bool ErrorReporter::guard(const std::string& context, const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const Failure& failure) {
        ReportError(context, failure);
    } catch (const std::bad_alloc&) {
        ReportError(context, failures::kOutOfMemory, "Out of memory");
    } catch (const std::exception& error) {
        ReportError(context, failures::kInternal, error.what());
    }
    return false;
}

}  // namespace kestrin
