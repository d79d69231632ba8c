#include "ui/look.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <utility>

namespace kestrin::ui {

namespace {

// The largest window at the reference font, in twips, frame and menu bar included: the
// statistics viewer is the widest, the multi player game the tallest.
constexpr int kLargestWidthTwips = 5955;
constexpr int kLargestHeightTwips = 6300;

struct Scale {
    QFont font;        // the application font it was worked out for
    double value = 1;  // the layout scale
    QFont windows;     // the font of the windows
};

const Scale& currentScale() {
    static Scale scale;
    static bool known = false;
    const QFont font = QApplication::font();
    if (known && font == scale.font) return scale;
    known = true;
    scale.font = font;
    scale.windows = font;
    const double reference = QFontMetricsF(referenceFont()).height();
    const double wanted = QFontMetricsF(font).height() / reference;
    double cap = wanted;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        cap = std::min(double(area.width()) * kTwipsPerPixel / kLargestWidthTwips,
                       double(area.height()) * kTwipsPerPixel / kLargestHeightTwips);
    }
    scale.value = std::min(wanted, std::max(cap, 1.0));
    // Capped: the windows' font shrinks, a quarter point at a time, until its height is the
    // reference font's at the scale (the step keeps a font given in pixels, too).
    if (scale.value < wanted) {
        if (scale.windows.pointSizeF() <= 0) scale.windows.setPointSizeF(QFontInfo(font).pointSizeF());
        double points = scale.windows.pointSizeF() * scale.value / wanted;
        do {
            scale.windows.setPointSizeF(points);
            points -= 0.25;
        } while (points > 1 && QFontMetricsF(scale.windows).height() > reference * scale.value);
    }
    return scale;
}

QFont scaled(const QString& family, double points) {
    QFont font(family);
    font.setPointSizeF(points * layoutScale());
    return font;
}

}  // namespace

QFont referenceFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(7.5);
    return font;
}

double layoutScale() { return currentScale().value; }

int px(int twips) { return static_cast<int>(std::lround(twips * layoutScale() / kTwipsPerPixel)); }

QFont windowFont() { return currentScale().windows; }

QFont largeFont() { return scaled(QStringLiteral("DejaVu Sans"), 12.0); }

QFont fixedFont() {
    QFont font = scaled(QStringLiteral("DejaVu Sans Mono"), 8.25);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

namespace {

QPixmap drawnIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);
    painter.setBrush(QColor(0, 0, 192));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(1, 1, 30, 30));
    painter.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(QPointF(11, 8), QPointF(11, 24));
    painter.drawLine(QPointF(22, 8), QPointF(12, 16));
    painter.drawLine(QPointF(12, 16), QPointF(22, 24));
    return pixmap;
}

QPixmap drawnMark(bool tick) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(tick ? QColor(0, 150, 0) : QColor(192, 0, 0), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (tick) {
        QPainterPath path;
        path.moveTo(5, 17);
        path.lineTo(13, 25);
        path.lineTo(27, 7);
        painter.drawPath(path);
    } else {
        painter.drawLine(QPointF(7, 7), QPointF(25, 25));
        painter.drawLine(QPointF(25, 7), QPointF(7, 25));
    }
    return pixmap;
}

}  // namespace

QIcon programIcon(const QString& programFolder) {
    QIcon icon;
    const QDir folder(programFolder);
    for (const char* name : {"kestrin.png", "kestrin-64.png"}) {
        const QString path = folder.filePath(QString::fromLatin1(name));
        if (!programFolder.isEmpty() && QFile::exists(path)) icon.addFile(path);
    }
    if (icon.isNull()) {
        icon.addPixmap(drawnIcon(32));
        icon.addPixmap(drawnIcon(64));
    }
    return icon;
}

void setIconAfterFirstPaint(const QString& programFolder) {
    // Watches the application's events until a widget's first paint.
    class Watcher final : public QObject {
    public:
        explicit Watcher(QString folder) : QObject(qApp), folder_(std::move(folder)) {}
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Paint && watched->isWidgetType() && !waiting_) {
                waiting_ = true;
                // The first zero timer runs once that paint pass is over; the second lets what
                // else waited for the paint go first.
                QTimer::singleShot(0, this, [this] {
                    QTimer::singleShot(0, this, [this] {
                        QApplication::setWindowIcon(programIcon(folder_));
                        deleteLater();
                    });
                });
            }
            return false;
        }

    private:
        QString folder_;
        bool waiting_ = false;
    };
    qApp->installEventFilter(new Watcher(programFolder));
}

QPixmap picture(const QString& programFolder, const QString& name) {
    QPixmap pixmap;
    const QString path = QDir(programFolder).filePath(name + QStringLiteral(".png"));
    if (!programFolder.isEmpty() && QFile::exists(path) && pixmap.load(path) && !pixmap.isNull()) return pixmap;
    if (name == QStringLiteral("tick")) return drawnMark(true);
    if (name == QStringLiteral("cross")) return drawnMark(false);
    return programIcon(programFolder).pixmap(32, 32);
}

QSize outerSize(QWidget* window) {
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    return window->size() + (frame.size() - inner.size());
}

void centreOnScreen(QWidget* window, QSize outer) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QPoint topLeft(area.x() + (area.width() - outer.width()) / 2,
                         area.y() + (area.height() - outer.height()) / 2);
    window->move(topLeft);
}

std::optional<QPoint> besidePlace(const QRect& anchorFrame, QSize outer, const QRect& area) {
    int top = std::min(anchorFrame.top(), area.y() + area.height() - outer.height());
    top = std::max(top, area.top());
    const int right = anchorFrame.x() + anchorFrame.width();
    if (right + outer.width() <= area.x() + area.width()) return QPoint(right, top);
    const int left = anchorFrame.x() - outer.width();
    if (left >= area.x()) return QPoint(left, top);
    return std::nullopt;
}

bool placeBeside(QWidget* window, const QWidget* anchor) {
    QScreen* screen = anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen) return false;
    const QRect anchorFrame = anchor->frameGeometry();
    QSize outer = outerSize(window);
    if (outer == window->size()) outer += anchorFrame.size() - anchor->size();
    const std::optional<QPoint> place = besidePlace(anchorFrame, outer, screen->availableGeometry());
    if (place) window->move(*place);
    return place.has_value();
}

}  // namespace kestrin::ui
