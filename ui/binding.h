// Two-way binding between the form models and Qt widgets.
//
// Each window view owns one FormBinder. Binding a control shows the model's state in the
// widget at once and keeps it there: every later change of the model is pushed to the widget
// by the control's observers, so a modal box opened by a handler finds the display current.
// What the player types or picks is written into the model before the handler runs. A value
// is only pushed when it differs from what the widget shows, so nothing echoes back.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "platform/qt/utf8.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace kestrin::ui {

// A label shows its caption as written, except that "&&" shows a single "&".
QString labelText(const std::string& caption);
// Shows what every control has: enabled, visible, the tooltip.
void syncCommon(const forms::Control& model, QWidget* widget);

class BarWidget;

class FormBinder : public QObject {
public:
    // The window shows the form's caption; a close request from the logic closes it.
    FormBinder(forms::Form& form, QWidget* window);
    ~FormBinder() override;

    void bind(forms::Label& model, QLabel* widget);
    void bind(forms::Frame& model, QGroupBox* widget);
    void bind(forms::Button& model, QPushButton* widget);
    void bind(forms::MenuItem& model, QAction* action);
    void bind(forms::CheckBox& model, QCheckBox* widget);
    void bind(forms::TextBox& model, QLineEdit* widget);
    void bind(forms::TextBox& model, QPlainTextEdit* widget);  // read-only text (output_log_view.cpp)
    void bind(forms::ComboBox& model, QComboBox* widget);
    void bind(forms::ListBox& model, QListWidget* widget);
    void bind(forms::Image& model, QLabel* widget);
    void bind(forms::Shape& model, BarWidget* widget);

    // Runs the recolouring now and again whenever the desktop's theme changes.
    void followPalette(std::function<void()> recolour);
    // Runs when the form's height (outer, in twips; 0 as designed) changes.
    void setHeightHandler(std::function<void(int heightTwips)> handler);

    QWidget* widgetFor(const forms::Control* control) const;
    forms::Control* controlFor(const QWidget* widget) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void remember(forms::Control& model, QWidget* widget);
    void syncForm();
    void noteFocus(QWidget* now);

    forms::Form& form_;
    QPointer<QWidget> window_;
    std::map<const forms::Control*, QPointer<QWidget>> widgets_;
    std::map<const QWidget*, forms::Control*> controls_;
    std::function<void(int)> heightHandler_;
    int shownHeight_ = -1;
    std::vector<std::function<void()>> recolours_;
};

}  // namespace kestrin::ui
