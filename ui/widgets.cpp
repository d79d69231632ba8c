#include "ui/widgets.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>
#include <cmath>

#include "ui/colours.h"
#include "ui/look.h"

namespace kestrin::ui {

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption, const QRect& geometry) {
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    return box;
}

QWidget* panel(QGroupBox* frame, int index, int widthTwips, int heightTwips, int topTwips) {
    auto* inner = new QWidget(frame);
    inner->setObjectName(QStringLiteral("picContainer(%1)").arg(index));
    inner->setGeometry(twips(45, topTwips, widthTwips, heightTwips));
    return inner;
}

QLabel* staticLabel(QWidget* parent, const char* name, const QString& caption, const QRect& geometry,
                    Qt::Alignment alignment) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setText(caption);
    label->setAlignment(alignment);
    label->setGeometry(geometry);
    widenToFit(label);
    return label;
}

void widenToFit(QLabel* label) {
    if (!label || !label->parentWidget()) return;
    const int needed = label->sizeHint().width();
    QRect box = label->geometry();
    if (needed <= box.width()) return;
    const int room = label->parentWidget()->width();
    const Qt::Alignment align = label->alignment();
    if (align & Qt::AlignRight) {
        const int right = box.right() + 1;
        box.setLeft(std::max(0, right - needed));
    } else if (align & Qt::AlignHCenter) {
        const int extra = needed - box.width();
        box.setLeft(std::max(0, box.left() - (extra + 1) / 2));
        box.setWidth(std::min(needed, room - box.left()));
    } else {
        box.setWidth(std::min(needed, room - box.left()));
    }
    label->setGeometry(box);
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor colour = themed(colour_, Ink::Graphic);
    if (filled_) {
        painter.fillRect(rect(), colour);
    } else {
        painter.setPen(colour);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void BarWidget::setBar(double width, QColor colour) {
    // A width below zero (or not a number at all) draws nothing; the bar never leaves its box.
    int pixels = std::isfinite(width) ? static_cast<int>(std::floor(width + 0.5)) : 0;
    pixels = std::clamp(pixels, 0, 1 << 16);
    if (pixels == barWidth_ && colour == colour_) return;
    barWidth_ = pixels;
    colour_ = colour;
    update();
}

void BarWidget::paintEvent(QPaintEvent*) {
    if (barWidth_ <= 0) return;
    QPainter painter(this);
    painter.fillRect(QRect(0, 0, std::min(barWidth_, width()), height()), colour_);
}

void WrappingButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    int flags = Qt::AlignCenter | Qt::TextWordWrap;
    flags |=
        style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this) ? Qt::TextShowMnemonic : Qt::TextHideMnemonic;
    painter.drawItemText(area, flags, palette(), isEnabled(), caption, QPalette::ButtonText);
}

}  // namespace kestrin::ui
