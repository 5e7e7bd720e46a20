#pragma once

#include "core/Ports.h"

#include <QString>

#include <memory>

class QSoundEffect;

// Tones and recordings through Qt Multimedia. Tone names are looked up beside
// the program, never in the working directory. Without a sound card nothing is
// heard and nothing else changes.
class QtSound final : public Sound {
  public:
    explicit QtSound(std::string programFolder);
    ~QtSound() override;
    void play(const std::string& file, bool loop) override;
    void stop() override;

  private:
    std::string folder_;
    std::unique_ptr<QSoundEffect> effect_; // made on first use: start-up does not pay for it
};
