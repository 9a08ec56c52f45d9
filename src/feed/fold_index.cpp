#include "feed/fold_index.h"

#include <algorithm>

namespace tv {

void FoldIndex::Reset(std::size_t rows) {
  fingerprint_.assign(rows, 0);
  next_.assign(rows, kNone);
  std::vector<std::uint32_t>(16, kNone).swap(slots_);
  mask_ = slots_.size() - 1;
  grouped_ = 0;
  groups_ = 0;
}

void FoldIndex::AddTopKey() {
  // Grown by an eighth, not doubled: a million rows and one poll on top must
  // not cost a second million rows' room.
  if (fingerprint_.size() == fingerprint_.capacity()) {
    const std::size_t room = fingerprint_.size() + fingerprint_.size() / 8 + 64;
    fingerprint_.reserve(room);
    next_.reserve(room);
  }
  fingerprint_.push_back(0);
  next_.push_back(kNone);
}

std::vector<std::uint32_t> FoldIndex::DropOldest(std::uint32_t count) {
  std::vector<std::uint32_t> shrunk;
  count = static_cast<std::uint32_t>(std::min<std::size_t>(count, fingerprint_.size()));
  if (count == 0) return shrunk;
  // Chains run from the newest key down: each is cut before its first
  // dropped key; a group whose newest key goes goes whole.
  std::vector<std::uint32_t> heads;
  for (std::uint32_t head : slots_) {
    if (head == kNone) continue;
    if (head < count) {
      for (std::uint32_t k = head; k != kNone; k = next_[k]) --grouped_;
      --groups_;
      continue;
    }
    std::uint32_t last = head;
    while (next_[last] != kNone && next_[last] >= count) last = next_[last];
    if (next_[last] != kNone) {
      for (std::uint32_t k = next_[last]; k != kNone; k = next_[k]) --grouped_;
      next_[last] = kNone;
      shrunk.push_back(head - count);
    }
    heads.push_back(head - count);
  }
  fingerprint_.erase(fingerprint_.begin(), fingerprint_.begin() + count);
  next_.erase(next_.begin(), next_.begin() + count);
  for (std::uint32_t& link : next_) {
    if (link != kNone) link -= count;
  }
  // Slots hold keys, so the table is laid out again.
  std::fill(slots_.begin(), slots_.end(), kNone);
  for (std::uint32_t key : heads) {
    std::size_t at = Home(fingerprint_[key]);
    while (slots_[at] != kNone) at = (at + 1) & mask_;
    slots_[at] = key;
  }
  return shrunk;
}

void FoldIndex::Grow() {
  std::vector<std::uint32_t> old;
  old.swap(slots_);
  slots_.assign(old.empty() ? 16 : old.size() * 2, kNone);
  mask_ = slots_.size() - 1;
  for (std::uint32_t key : old) {
    if (key == kNone) continue;
    std::size_t at = Home(fingerprint_[key]);
    while (slots_[at] != kNone) at = (at + 1) & mask_;
    slots_[at] = key;
  }
}

FoldIndex::Put FoldIndex::Add(std::uint32_t key, std::uint64_t fingerprint, const SameAs& same) {
  if (key >= fingerprint_.size() || fingerprint_[key] != 0) return {};
  if (slots_.empty()) Reset(fingerprint_.size());
  const std::uint32_t print = Short(fingerprint);
  std::size_t at = Home(print);
  for (; slots_[at] != kNone; at = (at + 1) & mask_) {
    const std::uint32_t head = slots_[at];
    if (fingerprint_[head] != print || !same(head)) continue;
    // A copy of this group: into its chain, newest first.
    fingerprint_[key] = print;
    ++grouped_;
    if (key > head) {
      next_[key] = head;
      slots_[at] = key;
      return {key, head};
    }
    std::uint32_t before = head;
    while (next_[before] != kNone && next_[before] > key) before = next_[before];
    next_[key] = next_[before];
    next_[before] = key;
    return {head, head};
  }
  // A group of its own.
  fingerprint_[key] = print;
  next_[key] = kNone;
  slots_[at] = key;
  ++grouped_;
  ++groups_;
  if (groups_ * 4 > slots_.size() * 3) Grow();
  return {key, kNone};
}

std::size_t FoldIndex::SlotOf(std::uint32_t key) const {
  const std::uint32_t print = fingerprint_[key];
  for (std::size_t at = Home(print); slots_[at] != kNone; at = (at + 1) & mask_) {
    const std::uint32_t head = slots_[at];
    if (fingerprint_[head] != print || head < key) continue;
    for (std::uint32_t k = head; k != kNone && k >= key; k = next_[k]) {
      if (k == key) return at;
    }
  }
  return kNone;
}

void FoldIndex::EraseSlot(std::size_t slot) {
  // Linear probing: later entries of the run move back over the gap.
  slots_[slot] = kNone;
  std::size_t gap = slot;
  for (std::size_t at = (slot + 1) & mask_; slots_[at] != kNone; at = (at + 1) & mask_) {
    const std::size_t home = Home(fingerprint_[slots_[at]]);
    const bool between = gap <= at ? (home > gap && home <= at) : (home > gap || home <= at);
    if (between) continue;
    slots_[gap] = slots_[at];
    slots_[at] = kNone;
    gap = at;
  }
}

std::uint32_t FoldIndex::Remove(std::uint32_t key) {
  if (!Grouped(key)) return kNone;
  const std::size_t slot = SlotOf(key);
  std::uint32_t newest = kNone;
  if (slot != kNone) {
    const std::uint32_t head = slots_[slot];
    if (head == key) {
      newest = next_[key];
      if (newest != kNone) {
        slots_[slot] = newest;
      } else {
        EraseSlot(slot);
        --groups_;
      }
    } else {
      std::uint32_t before = head;
      while (next_[before] != key) before = next_[before];
      next_[before] = next_[key];
      newest = head;
    }
  }
  fingerprint_[key] = 0;
  next_[key] = kNone;
  --grouped_;
  return newest;
}

std::uint32_t FoldIndex::NewestOf(std::uint32_t key) const {
  if (!Grouped(key)) return kNone;
  const std::size_t slot = SlotOf(key);
  return slot == kNone ? kNone : slots_[slot];
}

std::vector<std::uint32_t> FoldIndex::Copies(std::uint32_t newest) const {
  std::vector<std::uint32_t> keys;
  if (!Grouped(newest)) return keys;
  for (std::uint32_t k = newest; k != kNone; k = next_[k]) keys.push_back(k);
  return keys;
}

std::uint32_t FoldIndex::CopyCount(std::uint32_t newest) const {
  if (!Grouped(newest)) return 0;
  std::uint32_t count = 0;
  for (std::uint32_t k = newest; k != kNone; k = next_[k]) ++count;
  return count;
}

void FoldIndex::ForEachRepeated(const std::function<void(std::uint32_t newest)>& visit) const {
  for (std::uint32_t head : slots_) {
    if (head != kNone && next_[head] != kNone) visit(head);
  }
}

std::size_t FoldIndex::MemoryBytes() const {
  return (fingerprint_.capacity() + next_.capacity() + slots_.capacity()) * sizeof(std::uint32_t);
}

}  // namespace tv
