// The about dialog: the icon, product name, version, the maker's notice, two links, Donate
// and OK.
#pragma once

#include <QLabel>

#include "shell/about_dialog.h"
#include "ui/dialog_view.h"

namespace kestrin::ui {

// A label that reports the mouse: pressed, released, and a click when the button comes up
// over it.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent);

signals:
    void pressed();
    void released();
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool down_ = false;
};

class AboutView : public DialogView {
    Q_OBJECT
public:
    AboutView(AboutForm& form, AboutDialog& dialog, const QString& programFolder, QWidget* owner = nullptr);
};

}  // namespace kestrin::ui
