// The reference for the start-up and memory benchmarks: a bare Qt Widgets program showing one
// dialog with a label and a button. It links the same Qt modules as the game (Widgets, Network,
// Multimedia) and is measured by the same first-paint probe, so the ratios compare the game
// with the least a program of its kind has to pay.
#include "platform/qt/first_paint_probe.h"

#include <QApplication>
#include <QDialog>
#include <QHostAddress>
#include <QLabel>
#include <QPushButton>
#include <QSoundEffect>
#include <QVBoxLayout>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kestrin::FirstPaintProbe::installIfRequested();

    // Touch one symbol of each extra module so that the linker keeps them as dependencies and
    // the loader pays for them, as it does for the game; nothing is started.
    const char* multimedia = QSoundEffect::staticMetaObject.className();
    const QHostAddress loopback(QHostAddress::LocalHost);

    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Bare Dialog"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(
        QStringLiteral("A bare dialog (%1, %2)").arg(QString::fromLatin1(multimedia), loopback.toString()), &dialog);
    auto* button = new QPushButton(QStringLiteral("&Close"), &dialog);
    layout->addWidget(label);
    layout->addWidget(button);
    QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::accept);
    dialog.show();
    return app.exec();
}
