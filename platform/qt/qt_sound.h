// Sounds on Qt Multimedia: one QSoundEffect per wave file, kept for the next play, so that a
// bank sound starts without reloading the file. Playing never blocks and stays silent when
// the file is missing or the machine has no audio output.
#pragma once

#include "platform/services.h"

#include <map>
#include <memory>
#include <string>

class QSoundEffect;

namespace kestrin {

class QtSound final : public Sound {
public:
    QtSound();
    ~QtSound() override;
    QtSound(const QtSound&) = delete;
    QtSound& operator=(const QtSound&) = delete;

    void playFile(const std::string& path) override;
    void beep() override;

private:
    struct Effect;
    std::map<std::string, std::unique_ptr<Effect>> effects_;
};

}  // namespace kestrin
