// What a screen reader learns about the game's windows beyond what Qt tells it by itself.
#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace kestrin::ui {

// Installs, once, the game's accessibility factory: a combo box is named by what it is, with
// its text as its value (Qt on Linux would name it by its text); the four secondary windows
// are dialogs to assistive technology, though they are plain windows to Qt, so that none of
// them gets a default button.
void installAccessibility();

// Names a control by what it is, never by what it holds; an editable combo box's line edit
// gets the same name.
void nameControl(QWidget* control, const QString& name);

// A label that shows a value (the digit, a score) keeps the value as its name and says what it
// shows as its description; its caption, when it has one, is tied to it as its label.
void describeValue(QLabel* value, const QString& description, QLabel* caption = nullptr);

}  // namespace kestrin::ui
