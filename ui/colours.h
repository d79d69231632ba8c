// The game's colours in the desktop's theme, decided in this one place.
//
// In a light theme every colour is exactly the one the game names. In a dark theme black means
// the theme's text colour, and every other colour keeps its hue and is lightened until it stands
// out from the window colour by 4.5:1 (text) or 3:1 (graphics, such as the time bar), the
// contrast ratios of WCAG 2 AA.
#pragma once

#include <QColor>
#include <QPalette>
#include <QPixmap>

#include "platform/forms.h"

namespace kestrin::ui {

enum class Ink { Text, Graphic };

// One of the game's colours as it is given.
QColor toQColor(forms::Rgb colour);

// WCAG 2 relative luminance (0 black to 1 white) and the contrast ratio of two colours (1 to 21).
double luminance(const QColor& colour);
double contrast(const QColor& one, const QColor& other);

// The theme is dark when its window colour is darker than its window text.
bool isDark(const QPalette& palette);
// How one of the game's colours shows in the theme (by default the application's).
QColor themed(forms::Rgb colour, Ink ink, const QPalette& palette);
QColor themed(forms::Rgb colour, Ink ink);
// How a disabled label's text shows: the style's own grey in a light theme; in a dark one the
// colour half way between the window and the text, so that enabled text (the lit bank levels)
// is clearly brighter than disabled text (the unlit ones).
QColor themedDisabledText(const QPalette& palette);
// A picture drawn in the game's colours: each pixel of at least half opacity themed as a graphic,
// its alpha kept.
QPixmap themed(const QPixmap& picture, const QPalette& palette);

}  // namespace kestrin::ui
