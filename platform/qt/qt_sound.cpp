#include "platform/qt/qt_sound.h"

#include <QApplication>
#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

#include "platform/qt/utf8.h"

namespace kestrin {

// A loaded (or loading) sound and whether a play waits for the loading to finish.
struct QtSound::Effect {
    QSoundEffect effect;
    bool playWhenReady = false;
};

QtSound::QtSound() = default;
QtSound::~QtSound() = default;

void QtSound::playFile(const std::string& path) {
    const QString file = toQString(path);
    if (path.empty() || !QFileInfo(file).isFile()) return;
    if (QMediaDevices::defaultAudioOutput().isNull()) return;

    auto& slot = effects_[path];
    if (!slot) {
        slot = std::make_unique<Effect>();
        Effect* effect = slot.get();
        // Loading runs in the background; a play asked for meanwhile starts once it is ready.
        QObject::connect(&effect->effect, &QSoundEffect::statusChanged, &effect->effect, [effect] {
            if (effect->effect.status() == QSoundEffect::Ready && effect->playWhenReady) {
                effect->playWhenReady = false;
                effect->effect.play();
            } else if (effect->effect.status() == QSoundEffect::Error) {
                effect->playWhenReady = false;
            }
        });
        effect->effect.setSource(QUrl::fromLocalFile(file));
    }
    switch (slot->effect.status()) {
    case QSoundEffect::Ready: slot->effect.play(); break;
    case QSoundEffect::Error:
        // An unreadable file: try loading it afresh next time, in case it was replaced.
        effects_.erase(path);
        break;
    default: slot->playWhenReady = true; break;
    }
}

void QtSound::beep() { QApplication::beep(); }

}  // namespace kestrin
