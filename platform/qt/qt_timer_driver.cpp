#include "platform/qt/qt_timer_driver.h"

#include <QObject>
#include <QTimer>

namespace kestrin {

struct QtTimerDriver::Binding {
    forms::Timer* model = nullptr;
    QTimer* timer = nullptr;  // owned by the driver's owner object; null once unbound
    bool wasEnabled = false;
    int ticking = 0;

    // Brings the Qt timer in line with the model: a fresh full interval on enabling.
    void follow() {
        if (!timer) return;
        if (!model->enabled()) {
            timer->stop();
        } else if (!wasEnabled) {
            timer->start();
        }
        wasEnabled = model->enabled();
    }
};

QtTimerDriver::QtTimerDriver() : owner_(std::make_unique<QObject>()) {}

QtTimerDriver::~QtTimerDriver() {
    for (auto& [model, binding] : bindings_) binding->timer = nullptr;
    owner_.reset();  // deletes the Qt timers
}

void QtTimerDriver::bind(forms::Timer& model) {
    if (bindings_.count(&model)) return;
    auto binding = std::make_shared<Binding>();
    binding->model = &model;
    binding->timer = new QTimer(owner_.get());
    binding->timer->setTimerType(Qt::PreciseTimer);
    binding->timer->setInterval(model.interval());

    // Callbacks hold the binding weakly: after unbind or the driver's end they do nothing.
    std::weak_ptr<Binding> weak = binding;
    QObject::connect(binding->timer, &QTimer::timeout, binding->timer, [weak] {
        const auto self = weak.lock();
        if (!self || !self->model->enabled()) return;
        ++self->ticking;
        self->model->tick();
        --self->ticking;
    });
    model.observers().add([weak] {
        if (const auto self = weak.lock()) self->follow();
    });
    bindings_.emplace(&model, binding);
    binding->follow();
}

void QtTimerDriver::unbind(forms::Timer& model) {
    const auto found = bindings_.find(&model);
    if (found == bindings_.end()) return;
    Binding& binding = *found->second;
    binding.timer->stop();
    // A timer cannot be deleted inside its own timeout; it goes once the tick is over.
    if (binding.ticking > 0)
        binding.timer->deleteLater();
    else
        delete binding.timer;
    binding.timer = nullptr;
    bindings_.erase(found);
}

bool QtTimerDriver::isRunning(const forms::Timer& model) const {
    const auto found = bindings_.find(&model);
    return found != bindings_.end() && found->second->timer && found->second->timer->isActive();
}

}  // namespace kestrin
