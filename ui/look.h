// The look shared by the windows: twips to pixels, fonts, the program's pictures.
#pragma once

#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QRect>
#include <QString>

#include <optional>

class QWidget;

namespace kestrin::ui {

// Positions and sizes are designed in twips; 15 twips make one logical pixel.
constexpr int kTwipsPerPixel = 15;
constexpr int px(int twips) {
    return (twips >= 0 ? twips + kTwipsPerPixel / 2 : twips - kTwipsPerPixel / 2) / kTwipsPerPixel;
}
inline QRect twips(int left, int top, int width, int height) { return QRect(px(left), px(top), px(width), px(height)); }

// The application's user-interface font: DejaVu Sans 7.5 pt, about the size of the classic
// 8 pt dialog font, so that every caption fits the boxes of the layout.
QFont applicationFont();
// The large font of the digit, the levels, the clock and the scores (a Verdana-like face).
QFont largeFont();
// The fixed-width font of the statistics page.
QFont fixedFont();

// The program's icon from the program folder (kestrin.png, kestrin-64.png), or a drawn one.
QIcon programIcon(const QString& programFolder);
// A 32 x 32 picture from the program folder; "tick" and "cross" are drawn when missing.
QPixmap picture(const QString& programFolder, const QString& name);

// Moves a window so that a frame of the given outer size sits in the middle of its screen.
void centreOnScreen(QWidget* window, QSize outerSize);
// The window's own size, plus the frame the window manager adds, when it has one yet.
QSize outerSize(QWidget* window);
// Where a window of the given outer size goes beside another window's frame within the
// screen's free area: right of it, else left of it, its top level with the other's top (moved
// up as far as the area's bottom needs); nothing when neither side has room.
std::optional<QPoint> besidePlace(const QRect& anchorFrame, QSize outer, const QRect& area);
// Moves a window beside another (see besidePlace); false, leaving it where it is, when the
// screen has no room on either side. A window not shown yet is taken to get the same frame
// as the other.
bool placeBeside(QWidget* window, const QWidget* anchor);

}  // namespace kestrin::ui
