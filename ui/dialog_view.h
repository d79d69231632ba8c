// What the four dialog windows share: a fixed client size in twips, the form binding, a
// close that tells the owner, Escape as the close box, and showing in the middle of the
// screen or beside another window.
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
    // Shows the window beside the anchor where the screen has room, else in the middle.
    void showBeside(const QWidget* anchor);
    // Escape closes the window as its close box does (the default).
    void setEscapeCloses(bool closes) { escapeCloses_ = closes; }

signals:
    // The window has closed; the owner may now let it go.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    FormBinder& binder() { return *binder_; }

private:
    FormBinder* binder_;
    bool closing_ = false;
    bool escapeCloses_ = true;
};

}  // namespace kestrin::ui
