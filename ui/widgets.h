// Small building blocks of the window views: frames with their panels, static labels and the
// outline of the time bar.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace kestrin::ui {

// A frame with a caption that never changes.
QGroupBox* frame(QWidget* parent, const char* name, const QString& caption, const QRect& geometry);
// The borderless panel of a frame (picContainer(index)), 45, 195 twips inside it; the frame's
// controls sit on the panel.
QWidget* panel(QGroupBox* frame, int index, int widthTwips, int heightTwips, int topTwips = 195);
// A label whose caption never changes; widened within its parent when the text needs it.
QLabel* staticLabel(QWidget* parent, const char* name, const QString& caption, const QRect& geometry,
                    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);

// A black rectangle outline.
class OutlineWidget : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kestrin::ui
