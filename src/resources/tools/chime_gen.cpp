// Writes the two alert chimes of the search panel as small WAV files (16-bit
// mono PCM): "stock.wav", two bright notes going up, for a new cargo match,
// and "car.wav", two warmer notes going down, for a new truck match. Each
// note is a bell-like tone: a few partials that die away at their own rates.
//
//   tv_chime_gen OUTPUT_DIR
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;

struct Partial {
  double ratio;      // of the note's frequency
  double amplitude;  // relative
  double decay;      // per second
};

struct Note {
  double start;  // seconds
  double frequency;
  double gain;
};

struct Chime {
  const char* file;
  double seconds;
  std::vector<Partial> timbre;
  std::vector<Note> notes;
};

std::vector<std::int16_t> Render(const Chime& chime) {
  const int samples = static_cast<int>(chime.seconds * kRate);
  std::vector<double> mix(static_cast<std::size_t>(samples), 0.0);
  for (const Note& note : chime.notes) {
    for (int i = static_cast<int>(note.start * kRate); i < samples; ++i) {
      const double t = static_cast<double>(i) / kRate - note.start;
      // A 4 ms attack keeps the onset from clicking.
      const double attack = std::min(1.0, t / 0.004);
      double v = 0.0;
      for (const Partial& p : chime.timbre) {
        v += p.amplitude * std::exp(-p.decay * t) *
             std::sin(2.0 * std::numbers::pi * note.frequency * p.ratio * t);
      }
      mix[static_cast<std::size_t>(i)] += note.gain * attack * v;
    }
  }
  double peak = 1e-9;
  for (double v : mix) peak = std::max(peak, std::abs(v));
  // A comfortable level, and the last 30 ms faded to silence.
  const double scale = 0.55 * 32767.0 / peak;
  const int fade = static_cast<int>(0.03 * kRate);
  std::vector<std::int16_t> out(mix.size());
  for (int i = 0; i < samples; ++i) {
    const double tail = std::min(1.0, static_cast<double>(samples - 1 - i) / fade);
    out[static_cast<std::size_t>(i)] =
        static_cast<std::int16_t>(std::lround(mix[static_cast<std::size_t>(i)] * scale * tail));
  }
  return out;
}

void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

bool WriteWav(const std::string& path, const std::vector<std::int16_t>& pcm) {
  const std::uint32_t data_bytes = static_cast<std::uint32_t>(pcm.size() * 2);
  std::string out = "RIFF";
  PutLe(out, 36 + data_bytes, 4);
  out += "WAVEfmt ";
  PutLe(out, 16, 4);         // format chunk size
  PutLe(out, 1, 2);          // PCM
  PutLe(out, 1, 2);          // mono
  PutLe(out, kRate, 4);      // sample rate
  PutLe(out, kRate * 2, 4);  // byte rate
  PutLe(out, 2, 2);          // block align
  PutLe(out, 16, 2);         // bits per sample
  out += "data";
  PutLe(out, data_bytes, 4);
  for (std::int16_t s : pcm) PutLe(out, static_cast<std::uint16_t>(s), 2);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(out.data(), static_cast<std::streamsize>(out.size()));
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  const Chime chimes[] = {
      // Cargo: E6 then A6, glassy.
      {"stock.wav",
       0.65,
       {{1.0, 1.0, 7.0}, {2.0, 0.35, 12.0}, {3.0, 0.12, 18.0}},
       {{0.0, 1318.5, 0.8}, {0.11, 1760.0, 1.0}}},
      // Trucks: A5 then E5, rounder, and a little longer.
      {"car.wav",
       0.8,
       {{1.0, 1.0, 5.0}, {2.0, 0.5, 9.0}, {2.76, 0.15, 14.0}},
       {{0.0, 880.0, 1.0}, {0.16, 659.25, 0.9}}},
  };
  for (const Chime& chime : chimes) {
    const std::string path = dir + "/" + chime.file;
    if (!WriteWav(path, Render(chime))) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
