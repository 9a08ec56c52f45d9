#include "subscribe/speech_engine.h"

#include <espeak-ng/espeak_ng.h>

#include <cstdio>
#include <cstring>

#include "core/gbk.h"

namespace tv {
namespace {

// A little quicker than espeak-ng's default: an alert is heard in passing.
constexpr int kWordsPerMinute = 220;

int CollectSamples(short* wav, int count, espeak_EVENT* events) {
  if (wav == nullptr || count <= 0 || events == nullptr) return 0;
  auto* out = static_cast<std::vector<std::int16_t>*>(events->user_data);
  if (out != nullptr) out->insert(out->end(), wav, wav + count);
  return 0;
}

void PutLittleEndian(std::FILE* file, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) std::fputc(static_cast<int>((value >> (8 * i)) & 0xFF), file);
}

}  // namespace

SpeechEngine& SpeechEngine::Instance(const std::string& data_path) {
  // Never destroyed: it outlives every render, to the end of the process.
  static SpeechEngine* engine = new SpeechEngine(data_path);
  return *engine;
}

SpeechEngine::SpeechEngine(const std::string& data_path) {
  espeak_ng_InitializePath(data_path.empty() ? nullptr : data_path.c_str());
  espeak_ng_ERROR_CONTEXT context = nullptr;
  if (espeak_ng_Initialize(&context) != ENS_OK) {
    espeak_ng_ClearErrorContext(&context);
    return;
  }
  if (espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 0, nullptr) != ENS_OK ||
      espeak_ng_SetVoiceByName("cmn") != ENS_OK) {
    return;
  }
  espeak_ng_SetParameter(espeakRATE, kWordsPerMinute, 0);
  espeak_SetSynthCallback(&CollectSamples);
  ready_ = true;
}

SpeechAudio SpeechEngine::Render(std::string_view gbk) {
  SpeechAudio audio;
  if (!ready_ || gbk.empty()) return audio;
  const std::string text = GbkToUtf8(gbk);
  std::lock_guard<std::mutex> render(render_mutex_);
  audio.sample_rate = espeak_ng_GetSampleRate();
  if (espeak_ng_Synthesize(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8,
                           nullptr, &audio.samples) != ENS_OK) {
    audio.samples.clear();
  }
  return audio;
}

bool WriteWave(const std::string& path, const SpeechAudio& audio) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const auto data_bytes = static_cast<std::uint32_t>(audio.samples.size() * 2);
  const auto rate = static_cast<std::uint32_t>(audio.sample_rate);
  std::fwrite("RIFF", 1, 4, file);
  PutLittleEndian(file, 36 + data_bytes, 4);
  std::fwrite("WAVEfmt ", 1, 8, file);
  PutLittleEndian(file, 16, 4);        // format chunk size
  PutLittleEndian(file, 1, 2);         // PCM
  PutLittleEndian(file, 1, 2);         // mono
  PutLittleEndian(file, rate, 4);      // samples a second
  PutLittleEndian(file, rate * 2, 4);  // bytes a second
  PutLittleEndian(file, 2, 2);         // bytes a frame
  PutLittleEndian(file, 16, 2);        // bits a sample
  std::fwrite("data", 1, 4, file);
  PutLittleEndian(file, data_bytes, 4);
  for (std::int16_t sample : audio.samples) {
    PutLittleEndian(file, static_cast<std::uint16_t>(sample), 2);
  }
  return std::fclose(file) == 0;
}

}  // namespace tv
