#pragma once
// The texts a list's rules read (member number, city, content) of the rows
// that gave their texts back to keep memory bounded, in an unlinked temporary
// file: folding, blocking and the filter still decide those rows as if they
// held them. Rows are named by the list's keys (counted from the bottom);
// each keeps 4 bytes here, the texts live on disk. Reads may run on several
// threads at once; writes only on the owner's.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

class SpilledTexts {
 public:
  SpilledTexts() = default;
  ~SpilledTexts();
  SpilledTexts(const SpilledTexts&) = delete;
  SpilledTexts& operator=(const SpilledTexts&) = delete;

  struct Texts {
    std::string member;
    std::string city;
    std::string content;
  };

  // `keys` keys, none spilled.
  void Reset(std::size_t keys);
  void AddTopKey();
  // The `count` oldest keys go and every other is `count` lower.
  void DropOldest(std::size_t count);

  // False when the texts could not be written (no file, a full disk): the
  // row then keeps its own.
  bool Put(std::uint32_t key, std::string_view member, std::string_view city,
           std::string_view content);
  bool Has(std::uint32_t key) const { return key < at_.size() && at_[key] != 0; }
  // The row holds its texts again.
  void Forget(std::uint32_t key);
  std::optional<Texts> Get(std::uint32_t key) const;

  std::size_t FileBytes() const { return end_; }

 private:
  bool Open();
  // Writes the live entries to a new file when most of the old one is dead.
  void CompactIfWasteful();

  int fd_ = -1;
  // By key: 1 + the entry's offset in the file in 8-byte units, 0 when
  // not spilled.
  std::vector<std::uint32_t> at_;
  std::uint64_t end_ = 0;
  std::uint64_t live_bytes_ = 0;
  // Changes with every write (threads' read stretches go stale with it).
  std::uint64_t generation_ = 0;
};

}  // namespace tv
