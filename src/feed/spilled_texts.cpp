#include "feed/spilled_texts.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <utility>

namespace tv {

namespace {

// An entry: three 4-byte lengths, the texts, padding to 8 bytes.
constexpr std::size_t kHeader = 12;

std::uint64_t Padded(std::uint64_t bytes) { return (bytes + 7) & ~std::uint64_t{7}; }

// The whole of `size` bytes at `offset` through pread or pwrite.
template <typename Buffer, typename Call>
bool Whole(Call call, int fd, Buffer* data, std::size_t size, std::uint64_t offset) {
  while (size > 0) {
    const ssize_t n = call(fd, data, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

bool WriteAll(int fd, const char* data, std::size_t size, std::uint64_t offset) {
  return Whole(::pwrite, fd, data, size, offset);
}

bool ReadAll(int fd, char* data, std::size_t size, std::uint64_t offset) {
  return Whole(::pread, fd, data, size, offset);
}

// A new unlinked file in the temporary folder; -1 when none could be made.
int NewFile() {
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return -1;
  const int fd = ::dup(fileno(file));
  std::fclose(file);
  return fd;
}

std::uint64_t OffsetOf(std::uint32_t at) { return std::uint64_t{at - 1} << 3; }

std::optional<SpilledTexts::Texts> ReadEntry(int fd, std::uint32_t at) {
  const std::uint64_t offset = OffsetOf(at);
  std::array<std::uint32_t, 3> sizes{};
  if (!ReadAll(fd, reinterpret_cast<char*>(sizes.data()), kHeader, offset)) return std::nullopt;
  std::string bytes(std::size_t{sizes[0]} + sizes[1] + sizes[2], '\0');
  if (!ReadAll(fd, bytes.data(), bytes.size(), offset + kHeader)) return std::nullopt;
  SpilledTexts::Texts texts;
  texts.member = bytes.substr(0, sizes[0]);
  texts.city = bytes.substr(sizes[0], sizes[1]);
  texts.content = bytes.substr(std::size_t{sizes[0]} + sizes[1]);
  return texts;
}

// Names what the file holds: a stretch read under another generation, or of
// another list's file, is not used.
std::uint64_t NextGeneration() {
  static std::atomic<std::uint64_t> last{0};
  return ++last;
}

}  // namespace

SpilledTexts::~SpilledTexts() {
  if (fd_ >= 0) ::close(fd_);
}

bool SpilledTexts::Open() {
  if (fd_ < 0) fd_ = NewFile();
  return fd_ >= 0;
}

void SpilledTexts::Reset(std::size_t keys) {
  generation_ = NextGeneration();
  at_.assign(keys, 0);
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  end_ = 0;
  live_bytes_ = 0;
}

void SpilledTexts::AddTopKey() {
  if (at_.size() == at_.capacity()) at_.reserve(at_.size() + at_.size() / 8 + 64);
  at_.push_back(0);
}

void SpilledTexts::DropOldest(std::size_t count) {
  count = std::min(count, at_.size());
  for (std::size_t key = 0; key < count; ++key) Forget(static_cast<std::uint32_t>(key));
  at_.erase(at_.begin(), at_.begin() + static_cast<std::ptrdiff_t>(count));
  CompactIfWasteful();
}

bool SpilledTexts::Put(std::uint32_t key, std::string_view member, std::string_view city,
                       std::string_view content) {
  if (key >= at_.size() || !Open()) return false;
  Forget(key);
  std::string entry(kHeader, '\0');
  const std::array<std::uint32_t, 3> sizes{static_cast<std::uint32_t>(member.size()),
                                           static_cast<std::uint32_t>(city.size()),
                                           static_cast<std::uint32_t>(content.size())};
  std::copy_n(reinterpret_cast<const char*>(sizes.data()), kHeader, entry.begin());
  entry.append(member).append(city).append(content);
  entry.resize(Padded(entry.size()), '\0');
  if ((end_ >> 3) + 1 > UINT32_MAX) return false;
  if (!WriteAll(fd_, entry.data(), entry.size(), end_)) return false;
  at_[key] = static_cast<std::uint32_t>((end_ >> 3) + 1);
  end_ += entry.size();
  generation_ = NextGeneration();
  live_bytes_ += entry.size();
  return true;
}

std::optional<SpilledTexts::Texts> SpilledTexts::Get(std::uint32_t key) const {
  if (!Has(key)) return std::nullopt;
  // A filter reads every row in turn, and rows next to each other mostly
  // gave their texts back together: each thread keeps the last stretch of
  // the file it read instead of reading entry by entry.
  struct Stretch {
    std::uint64_t generation = 0;
    std::uint64_t start = 0;
    std::uint64_t size = 0;
    std::unique_ptr<char[]> bytes;  // kStretch, taken once
    std::uint64_t last_read = 0;    // the generation of the last read
  };
  constexpr std::uint64_t kStretch = 64U << 10;
  thread_local Stretch stretch;
  const std::uint64_t offset = OffsetOf(at_[key]);
  const auto holds = [&](std::uint64_t from, std::uint64_t size) {
    return stretch.generation == generation_ && from >= stretch.start &&
           from + size <= stretch.start + stretch.size;
  };
  if (!holds(offset, kHeader)) {
    // A single read after a write (a copy compared as it comes) takes only
    // its entry; reads in a run take stretches.
    if (std::exchange(stretch.last_read, generation_) != generation_) {
      return ReadEntry(fd_, at_[key]);
    }
    if (!stretch.bytes) stretch.bytes = std::make_unique<char[]>(kStretch);
    stretch.generation = 0;
    stretch.start = offset > kStretch / 2 ? offset - kStretch / 2 : 0;
    stretch.size = std::min(kStretch, end_ - stretch.start);
    if (!ReadAll(fd_, stretch.bytes.get(), stretch.size, stretch.start)) {
      return ReadEntry(fd_, at_[key]);
    }
    stretch.generation = generation_;
  }
  std::array<std::uint32_t, 3> sizes{};
  const char* at = stretch.bytes.get() + (offset - stretch.start);
  std::copy_n(at, kHeader, reinterpret_cast<char*>(sizes.data()));
  const std::uint64_t size = std::uint64_t{sizes[0]} + sizes[1] + sizes[2];
  if (!holds(offset, kHeader + size)) return ReadEntry(fd_, at_[key]);
  at += kHeader;
  Texts texts;
  texts.member.assign(at, sizes[0]);
  texts.city.assign(at + sizes[0], sizes[1]);
  texts.content.assign(at + sizes[0] + sizes[1], sizes[2]);
  return texts;
}

void SpilledTexts::Forget(std::uint32_t key) {
  if (!Has(key)) return;
  std::array<std::uint32_t, 3> sizes{};
  if (ReadAll(fd_, reinterpret_cast<char*>(sizes.data()), kHeader, OffsetOf(at_[key]))) {
    live_bytes_ -= Padded(kHeader + std::uint64_t{sizes[0]} + sizes[1] + sizes[2]);
  }
  at_[key] = 0;
}

void SpilledTexts::CompactIfWasteful() {
  constexpr std::uint64_t kSmallFile = 16U << 20;
  if (fd_ < 0 || end_ < kSmallFile || end_ < 2 * live_bytes_) return;
  // The live entries into a new file, oldest key first; a failure keeps the
  // old one.
  const int old_fd = fd_;
  const std::vector<std::uint32_t> old_at = at_;
  const std::uint64_t old_end = end_;
  const std::uint64_t old_live = live_bytes_;
  fd_ = NewFile();
  std::fill(at_.begin(), at_.end(), 0);
  end_ = 0;
  live_bytes_ = 0;
  bool ok = fd_ >= 0;
  for (std::uint32_t key = 0; ok && key < old_at.size(); ++key) {
    if (old_at[key] == 0) continue;
    const std::optional<Texts> texts = ReadEntry(old_fd, old_at[key]);
    ok = texts && Put(key, texts->member, texts->city, texts->content);
  }
  if (ok) {
    ::close(old_fd);
    return;
  }
  if (fd_ >= 0) ::close(fd_);
  generation_ = NextGeneration();
  fd_ = old_fd;
  at_ = old_at;
  end_ = old_end;
  live_bytes_ = old_live;
}

}  // namespace tv
