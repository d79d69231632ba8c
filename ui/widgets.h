// Small building blocks of the window views: frames with their panels, static labels, the
// time bar and the shapes beside it, and a button whose caption wraps.
#pragma once

#include <QColor>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "platform/forms.h"

namespace kestrin::ui {

// A frame with a caption that never changes.
QGroupBox* frame(QWidget* parent, const char* name, const QString& caption, const QRect& geometry);
// The borderless panel of a frame (picContainer(index)), 45, 195 twips inside it; the frame's
// controls sit on the panel.
QWidget* panel(QGroupBox* frame, int index, int widthTwips, int heightTwips, int topTwips = 195);
// A label whose caption never changes; widened within its parent when the text needs it.
QLabel* staticLabel(QWidget* parent, const char* name, const QString& caption, const QRect& geometry,
                    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);

// Widens a label whose text does not fit its box, within its parent: a left-aligned label
// grows to the right, a right-aligned one to the left, a centred one on both sides.
void widenToFit(QLabel* label);

// A rectangle in one of the game's colours, in the theme's shade of it: an outline (the time
// bar's), or filled (the rule between the scores).
class ShapeWidget : public QWidget {
public:
    ShapeWidget(forms::Rgb colour, bool filled, QWidget* parent) : QWidget(parent), colour_(colour), filled_(filled) {}

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    forms::Rgb colour_;
    bool filled_;
};

// A filled bar whose width (in pixels, from the left) and colour come from a Shape model.
class BarWidget : public QWidget {
public:
    using QWidget::QWidget;
    void setBar(double width, QColor colour);
    int barWidth() const { return barWidth_; }
    QColor colour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int barWidth_ = 0;
    QColor colour_;
};

// A push button whose caption wraps onto further lines when it is wider than the button.
class WrappingButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A combo box that says when its list opens and closes.
class DropDownBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void(bool open)> onDroppedDown;
    void showPopup() override {
        if (onDroppedDown) onDroppedDown(true);
        QComboBox::showPopup();
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        if (onDroppedDown) onDroppedDown(false);
    }
};

}  // namespace kestrin::ui
