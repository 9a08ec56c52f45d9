#pragma once
// The copies of one message among the rows of a list. Rows are named by keys
// counted from the bottom (the last row is key 0), so a row that goes on top
// takes the next key and every other key stays as it was. Each group of
// copies is a chain from its newest key (the highest) down to its oldest;
// a hash table finds a group's newest key by the message fingerprint.
//
// Memory: 8 bytes a row (fingerprint and chain link) and a table of 4-byte
// slots at most three quarters full, so about 13 to 16 bytes a row when
// every row is a message of its own, less when rows repeat.
#include <cstdint>
#include <functional>
#include <vector>

namespace tv {

class FoldIndex {
 public:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  // Whether the row at `key` holds the same message as the one being put
  // (the fingerprint matched; this decides).
  using SameAs = std::function<bool(std::uint32_t key)>;

  // `rows` keys, none in a group.
  void Reset(std::size_t rows);
  // One key more: a new row on top.
  void AddTopKey();
  // The `count` oldest keys go (their rows left the list at the bottom) and
  // every other key is `count` lower. Returns the newest keys, renumbered,
  // of the groups that lost copies and still have some.
  std::vector<std::uint32_t> DropOldest(std::uint32_t count);
  std::size_t KeyCount() const { return fingerprint_.size(); }

  struct Put {
    std::uint32_t newest = kNone;      // the group's newest key now
    std::uint32_t was_newest = kNone;  // its newest before (kNone: a new group)
  };
  // Puts `key` (in no group) into the group of its message.
  Put Add(std::uint32_t key, std::uint64_t fingerprint, const SameAs& same);
  // Takes `key` out of its group; returns the group's newest key after (kNone
  // when the group is gone). Nothing for a key in no group.
  std::uint32_t Remove(std::uint32_t key);

  bool Grouped(std::uint32_t key) const {
    return key < fingerprint_.size() && fingerprint_[key] != 0;
  }
  // The newest key of `key`'s group (kNone when in none).
  std::uint32_t NewestOf(std::uint32_t key) const;
  // The keys of the group whose newest key is `newest`, newest first.
  std::vector<std::uint32_t> Copies(std::uint32_t newest) const;
  std::uint32_t CopyCount(std::uint32_t newest) const;
  // Every group of two copies or more, by its newest key.
  void ForEachRepeated(const std::function<void(std::uint32_t newest)>& visit) const;

  // Keys in a group, and groups: the copies a list folds away are their
  // difference.
  std::size_t GroupedCount() const { return grouped_; }
  std::size_t GroupCount() const { return groups_; }
  std::size_t MemoryBytes() const;

 private:
  static std::uint32_t Short(std::uint64_t fingerprint) {
    return static_cast<std::uint32_t>(fingerprint >> 32) | 1u;
  }
  std::size_t Home(std::uint32_t short_print) const { return (short_print * 0x9E3779B1u) & mask_; }
  // The slot holding a group whose chain holds `key`; kNone when none does.
  std::size_t SlotOf(std::uint32_t key) const;
  void EraseSlot(std::size_t slot);
  void Grow();

  std::vector<std::uint32_t> fingerprint_;  // by key; 0: in no group
  std::vector<std::uint32_t> next_;         // by key: the next older copy
  std::vector<std::uint32_t> slots_;        // newest key of a group, or kNone
  std::size_t mask_ = 0;
  std::size_t grouped_ = 0;
  std::size_t groups_ = 0;
};

}  // namespace tv
