#include "subscribe/speech_player.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include "core/background_job.h"

namespace tv {

SpeechPlayer::SpeechPlayer(QObject* parent) : QObject(parent) {}

SpeechPlayer::~SpeechPlayer() {
  if (sink_ != nullptr) sink_->stop();
}

void SpeechPlayer::Say(std::string gbk) {
  if (gbk.empty()) return;
  if (busy_) {
    waiting_ = std::move(gbk);
    return;
  }
  busy_ = true;
  RunInBackground(
      this, [text = std::move(gbk)] { return SpeechEngine::Instance().Render(text); },
      [this](SpeechAudio audio) { Play(std::move(audio)); });
}

void SpeechPlayer::Play(SpeechAudio audio) {
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  const bool playable = !audio.samples.empty() && !device.isNull();
  emit rendered(audio.Seconds(), playable);
  if (!playable) {
    Done();
    return;
  }
  QAudioFormat format;
  format.setSampleRate(audio.sample_rate);
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::Int16);
  if (sink_ != nullptr) sink_->deleteLater();
  sink_ = new QAudioSink(device, format, this);
  buffer_.close();
  buffer_.setData(reinterpret_cast<const char*>(audio.samples.data()),
                  static_cast<qsizetype>(audio.samples.size() * sizeof(std::int16_t)));
  buffer_.open(QIODevice::ReadOnly);
  connect(sink_, &QAudioSink::stateChanged, this, [this, sink = sink_](QAudio::State state) {
    if (sink != sink_) return;
    if (state == QAudio::IdleState || state == QAudio::StoppedState) {
      // Stopping reports once more; this alert has ended already.
      disconnect(sink_, nullptr, this, nullptr);
      sink_->stop();
      Done();
    }
  });
  sink_->start(&buffer_);
  if (sink_->error() != QAudio::NoError) {
    disconnect(sink_, nullptr, this, nullptr);
    sink_->stop();
    Done();
  }
}

void SpeechPlayer::Done() {
  if (!busy_) return;
  busy_ = false;
  emit finished();
  if (waiting_) {
    std::string next = std::move(*waiting_);
    waiting_.reset();
    Say(std::move(next));
  }
}

}  // namespace tv
