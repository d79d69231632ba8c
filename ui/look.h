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

// Positions and sizes are designed in twips at the reference font, where 15 twips make one
// logical pixel. On the desktop every twip is scaled by layoutScale(), so that the windows grow
// with the desktop's font as a native program's do.
constexpr int kTwipsPerPixel = 15;

// The font the layout was designed for: DejaVu Sans 7.5 pt, about the size of the classic 8 pt
// dialog font.
QFont referenceFont();
// The application font's metric height over the reference font's, capped so that the largest
// window still fits the primary screen's free area. Exactly 1 at the reference font. Follows the
// application font of the moment: windows built after a font change are built at the new scale.
double layoutScale();
// Twips to logical pixels at the layout scale, rounded to the nearest pixel.
int px(int twips);
inline QRect twips(int left, int top, int width, int height) { return QRect(px(left), px(top), px(width), px(height)); }
// The font of the windows: the application font, made smaller only when the layout scale was
// capped by the screen, so that the captions still fit their boxes.
QFont windowFont();
// The large font of the digit, the levels, the clock and the scores (a Verdana-like face).
QFont largeFont();
// The fixed-width font of the statistics page.
QFont fixedFont();

// The program's icon from the program folder (kestrin.png, kestrin-64.png), or a drawn one.
QIcon programIcon(const QString& programFolder);
// Gives the application the program's icon once the first window has been painted: the first
// paint does not wait for the icon's pictures to be read.
void setIconAfterFirstPaint(const QString& programFolder);
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
