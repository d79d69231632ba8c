// The main window: six frames of controls and the two menus, laid out in twips and bound to
// the main form model. The window's key handler sees Page Up, Page Down and B whichever of
// its controls holds the focus; its height follows the form (single or multi player shape).
#pragma once

#include <QMainWindow>

#include "core/main_form.h"
#include "ui/binding.h"

namespace kestrin::ui {

class MainWindowView : public QMainWindow {
    Q_OBJECT
public:
    // programFolder holds the program's icon and the tick and cross pictures.
    MainWindowView(MainForm& form, const QString& programFolder, QWidget* parent = nullptr);
    ~MainWindowView() override;

    MainForm& form() const { return form_; }
    QWidget* widgetFor(const forms::Control& control) const { return binder_->widgetFor(&control); }
    QWidget* client() const { return client_; }

    // The height of the area below the menu bar for a form height in twips (0: as designed).
    static int clientHeight(int heightTwips);
    // Shows the window in the middle of the screen, sized for the given form height.
    void showCentred(int heightTwips);

    // The window's key codes for a Qt key: Page Up 33, Page Down 34, B 66; 0 for other keys.
    static int keyCode(int qtKey);

signals:
    // The window has closed (its unload has run); the owner may now let it go.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build(const QString& programFolder);
    void buildMenus();
    void applyHeight(int heightTwips);

    MainForm& form_;
    FormBinder* binder_ = nullptr;
    QWidget* client_ = nullptr;
    bool closing_ = false;
};

}  // namespace kestrin::ui
