#include "ui/colours.h"

#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <cmath>

namespace kestrin::ui {

namespace {

double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

}  // namespace

double luminance(const QColor& colour) {
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

double contrast(const QColor& one, const QColor& other) {
    const double a = luminance(one) + 0.05;
    const double b = luminance(other) + 0.05;
    return a > b ? a / b : b / a;
}

bool isDark(const QPalette& palette) {
    return luminance(palette.color(QPalette::Window)) < luminance(palette.color(QPalette::WindowText));
}

QColor toQColor(forms::Rgb colour) {
    return QColor(std::clamp(colour.r, 0, 255), std::clamp(colour.g, 0, 255), std::clamp(colour.b, 0, 255));
}

QColor themed(forms::Rgb colour, Ink ink, const QPalette& palette) {
    const QColor wanted = toQColor(colour);
    if (!isDark(palette)) return wanted;
    if (colour == forms::kBlack) return palette.color(QPalette::WindowText);
    const QColor window = palette.color(QPalette::Window);
    const double needed = ink == Ink::Text ? 4.5 : 3.0;
    // Raise the lightness in small steps, keeping hue and saturation, until the colour stands out.
    const float hue = std::max(wanted.hslHueF(), 0.0F);
    const float saturation = wanted.hslSaturationF();
    QColor shown = wanted;
    for (float lightness = wanted.lightnessF(); contrast(shown, window) < needed && lightness < 1;) {
        lightness = std::min(1.0F, lightness + 0.01F);
        shown = QColor::fromHslF(hue, saturation, lightness).toRgb();
    }
    return shown;
}

QColor themed(forms::Rgb colour, Ink ink) { return themed(colour, ink, QGuiApplication::palette()); }

QColor themedDisabledText(const QPalette& palette) {
    if (!isDark(palette)) return palette.color(QPalette::Disabled, QPalette::WindowText);
    const QColor window = palette.color(QPalette::Window);
    const QColor text = palette.color(QPalette::WindowText);
    return QColor((window.red() + text.red()) / 2, (window.green() + text.green()) / 2,
                  (window.blue() + text.blue()) / 2);
}

QPixmap themed(const QPixmap& picture, const QPalette& palette) {
    if (!isDark(palette)) return picture;
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            if (qAlpha(pixel) < 128) continue;  // edges and half-transparent shadows stay as they are
            const QColor shown = themed({qRed(pixel), qGreen(pixel), qBlue(pixel)}, Ink::Graphic, palette);
            line[x] = qRgba(shown.red(), shown.green(), shown.blue(), qAlpha(pixel));
        }
    }
    return QPixmap::fromImage(image);
}

}  // namespace kestrin::ui
