#pragma once
// Plays the alert chimes with Qt Multimedia. Without an audio output (a
// server, a test machine) nothing is loaded and Play() does nothing: no
// error, no wait.
#include <QObject>
#include <array>

#include "search/alert_player.h"

class QSoundEffect;

namespace tv {

class SoundEffectPlayer : public QObject, public AlertPlayer {
  Q_OBJECT

 public:
  explicit SoundEffectPlayer(QObject* parent = nullptr);

  void Play(AlertSound sound) override;
  // Whether the machine had an audio output when the player was made.
  bool HasOutput() const { return has_output_; }

 private:
  bool has_output_ = false;
  std::array<QSoundEffect*, 2> effects_{};
};

}  // namespace tv
