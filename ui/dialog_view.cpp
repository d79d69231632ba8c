#include "ui/dialog_view.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include "ui/accessibility.h"
#include "ui/look.h"

namespace kestrin::ui {

DialogView::DialogView(forms::Form& form, int widthTwips, int heightTwips, bool minimizable, QWidget* owner)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | (minimizable ? Qt::WindowMinimizeButtonHint : Qt::WindowFlags())),
      binder_(new FormBinder(form, this)) {
    setObjectName(toQString(form.name()));
    installAccessibility();
    if (windowFont() != font()) setFont(windowFont());
    setFixedSize(px(widthTwips), px(heightTwips));
}

void DialogView::showCentred() {
    centreOnScreen(this, outerSize(this));
    show();
}

void DialogView::showBeside(const QWidget* anchor) {
    if (!anchor || !placeBeside(this, anchor)) centreOnScreen(this, outerSize(this));
    show();
}

void DialogView::keyPressEvent(QKeyEvent* event) {
    // Reaches the window when the focused control has no use for the key.
    if (escapeCloses_ && event->matches(QKeySequence::Cancel)) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void DialogView::closeEvent(QCloseEvent* event) {
    event->accept();
    if (closing_) return;
    closing_ = true;
    emit closed();
}

}  // namespace kestrin::ui
