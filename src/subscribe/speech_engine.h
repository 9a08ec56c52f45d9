#pragma once
// Mandarin speech rendered into memory by espeak-ng (its "cmn" voice): no
// daemon and no sound server in between, so a render never waits on one
// that is missing, and what was rendered can be measured. The window plays
// the samples; nothing here touches an audio device.
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

struct SpeechAudio {
  std::vector<std::int16_t> samples;  // mono, 16 bits
  int sample_rate = 0;
  double Seconds() const {
    return sample_rate > 0 ? static_cast<double>(samples.size()) / sample_rate : 0.0;
  }
};

// espeak-ng keeps its state in the process and cannot be shut down and
// loaded again (its terminate call waits for a thread that never answers),
// so there is one engine, loaded at first use and kept. Renders run one at
// a time, from any thread.
class SpeechEngine {
 public:
  // The engine, loaded at the first call with the voice data under
  // `data_path` (empty: where espeak-ng is installed); later calls get the
  // same engine whatever they name.
  static SpeechEngine& Instance(const std::string& data_path = {});

  // False when espeak-ng or its Mandarin voice could not be loaded: every
  // render is then empty.
  bool Ready() const { return ready_; }
  // The GBK text spoken; empty audio when not ready or the text is empty.
  SpeechAudio Render(std::string_view gbk);

 private:
  explicit SpeechEngine(const std::string& data_path);
  std::mutex render_mutex_;
  bool ready_ = false;
};

// A RIFF/WAVE file of the audio; false when it cannot be written.
bool WriteWave(const std::string& path, const SpeechAudio& audio);

}  // namespace tv
