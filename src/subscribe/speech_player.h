#pragma once
// Speaks the alerts: each text rendered by the speech engine on a worker,
// then played on the default sound output. One alert plays at a time and
// at most one waits (the newest: a burst is never a queue that runs for
// minutes). Without a sound output or the engine's voice nothing is played
// and nothing waits.
#include <QBuffer>
#include <QObject>
#include <optional>
#include <string>

#include "subscribe/speech_engine.h"

class QAudioSink;

namespace tv {

class SpeechPlayer : public QObject {
  Q_OBJECT

 public:
  explicit SpeechPlayer(QObject* parent = nullptr);
  ~SpeechPlayer() override;

  // Says the GBK text.
  void Say(std::string gbk);
  bool Busy() const { return busy_; }

 signals:
  // An alert was rendered: its length, and whether it was played (a device
  // to play it on was there).
  void rendered(double seconds, bool played);
  // The alert ended (played out, or nothing to play it on).
  void finished();

 private:
  void Play(SpeechAudio audio);
  void Done();

  bool busy_ = false;
  std::optional<std::string> waiting_;
  QBuffer buffer_;
  QAudioSink* sink_ = nullptr;
};

}  // namespace tv
