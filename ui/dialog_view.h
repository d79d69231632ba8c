// What the four dialog windows share: a fixed client size in twips, the form binding, a
// close that tells the owner, and showing in the middle of the screen.
#pragma once

#include <QWidget>

#include "ui/binding.h"

namespace kestrin::ui {

class DialogView : public QWidget {
    Q_OBJECT
public:
    // A window of the given client size; minimizable adds the minimize button.
    DialogView(forms::Form& form, int widthTwips, int heightTwips, bool minimizable, QWidget* owner);

    QWidget* widgetFor(const forms::Control& control) const { return binder_->widgetFor(&control); }
    void showCentred();

signals:
    // The window has closed; the owner may now let it go.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    FormBinder& binder() { return *binder_; }

private:
    FormBinder* binder_;
    bool closing_ = false;
};

}  // namespace kestrin::ui
