#include "search/sound_effect_player.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace tv {

SoundEffectPlayer::SoundEffectPlayer(QObject* parent) : QObject(parent) {
  has_output_ = !QMediaDevices::audioOutputs().isEmpty();
  if (!has_output_) return;
  for (AlertSound sound : {AlertSound::kStock, AlertSound::kCar}) {
    auto* effect = new QSoundEffect(this);
    effect->setSource(QUrl(QStringLiteral("qrc") + QString::fromLatin1(AlertSoundResource(sound))));
    effects_[static_cast<std::size_t>(sound)] = effect;
  }
}

void SoundEffectPlayer::Play(AlertSound sound) {
  if (!has_output_) return;
  // One chime at a time: a new one cuts off the other.
  for (QSoundEffect* effect : effects_) effect->stop();
  effects_[static_cast<std::size_t>(sound)]->play();
}

}  // namespace tv
