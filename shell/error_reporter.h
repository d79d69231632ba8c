// ReportError and the guard that every guarded handler runs under.
//
// A guarded handler that fails skips the rest of its steps; the failure is shown in a
// critical message box titled "<executable name> Error <n> in <context>" and, once the box
// is dismissed, one line is appended to ErrorLog.txt in the write folder. The game goes on.
#pragma once

#include <functional>
#include <string>

#include "platform/failure.h"
#include "platform/services.h"
#include "shell/identity.h"

namespace kestrin {

class ErrorReporter {
public:
    ErrorReporter(MessageBox& messageBox, TextFiles& files, Calendar& calendar, std::string writeFolder)
        : messageBox_(messageBox), files_(files), calendar_(calendar), writeFolder_(std::move(writeFolder)) {}

    // Reports a failure under a context such as "Main.cmdGuess". Numbers 0 and 20 are not
    // reported; an empty context is reported as "Unknown". A log file that cannot be written
    // is passed over: the player has already seen the box.
    void ReportError(const std::string& context, std::int32_t number, const std::string& description);
    void ReportError(const std::string& context, const Failure& failure) {
        ReportError(context, failure.number(), failure.description());
    }

    // Runs a handler; a Failure (or any other exception) thrown by it is reported under the
    // context and swallowed. Returns true when the handler finished without failure.
    bool guard(const std::string& context, const std::function<void()>& handler);

    std::string logPath() const;

    // The executable's file name without its extension, which starts every box title
    // ("Kestrin2" for a renamed copy). Until the program tells it, and for an empty name,
    // it is "Kestrin".
    void setExecutableName(std::string name) {
        executableName_ = name.empty() ? identity::kExecutableName : std::move(name);
    }
    const std::string& executableName() const { return executableName_; }

private:
    MessageBox& messageBox_;
    TextFiles& files_;
    Calendar& calendar_;
    std::string writeFolder_;
    std::string executableName_ = identity::kExecutableName;
};

}  // namespace kestrin
