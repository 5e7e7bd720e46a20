#include "QtSound.h"

#include <QSoundEffect>
#include <QUrl>

QtSound::QtSound(std::string programFolder) : folder_(std::move(programFolder)) {}

QtSound::~QtSound() = default;

void QtSound::play(const std::string& file, bool loop) {
    if (!effect_)
        effect_ = std::make_unique<QSoundEffect>();
    const std::string path = !file.empty() && file.front() == '/' ? file : folder_ + "/" + file;
    effect_->stop();
    effect_->setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
    effect_->setLoopCount(loop ? QSoundEffect::Infinite : 1);
    effect_->play();
}

void QtSound::stop() {
    if (effect_)
        effect_->stop();
}
