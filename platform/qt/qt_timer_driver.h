// Runs the form models' timers on the Qt event loop: each bound forms::Timer gets a QTimer
// (Qt::PreciseTimer) of the model's interval that runs exactly while the model is enabled.
// Enabling the model starts a fresh full interval; each timeout calls the model's tick().
// A disabled timer has no QTimer running, so an idle window uses no CPU.
//
// A bound model must outlive the driver or be unbound first; unbinding from inside the
// model's own tick is fine. The driver may be destroyed before the models (not from inside a
// tick): their observers then do nothing.
#pragma once

#include "platform/forms.h"

#include <map>
#include <memory>

class QObject;

namespace kestrin {

class QtTimerDriver {
public:
    QtTimerDriver();
    ~QtTimerDriver();
    QtTimerDriver(const QtTimerDriver&) = delete;
    QtTimerDriver& operator=(const QtTimerDriver&) = delete;

    void bind(forms::Timer& timer);
    void unbind(forms::Timer& timer);

    // Whether the Qt timer of a bound model is running (for tests).
    bool isRunning(const forms::Timer& timer) const;

private:
    struct Binding;
    std::unique_ptr<QObject> owner_;  // parent of the Qt timers
    std::map<const forms::Timer*, std::shared_ptr<Binding>> bindings_;
};

}  // namespace kestrin
