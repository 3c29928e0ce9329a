#include "staging/stored_keys.hpp"

#include "base/strings.hpp"

namespace korvun {
namespace {

uint64_t Hash(std::string_view key) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (char c : key) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ull;
  }
  return h;
}

}  // namespace

std::string_view StoredKeys::Stored(std::string_view value) const {
  return width_ > 0 && value.size() > width_ ? value.substr(0, width_) : value;
}

std::string_view StoredKeys::Normal(std::string_view value) const {
  return WithoutTrailingBlanks(Stored(value));
}

size_t StoredKeys::Find(std::string_view key, uint64_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.length == kEmpty) return i;
    if (std::string_view(text_).substr(s.offset, s.length) == key) return i;
  }
}

bool StoredKeys::Contains(std::string_view value) const {
  if (slots_.empty()) return false;
  const std::string_view key = Normal(value);
  return slots_[Find(key, Hash(key))].length != kEmpty;
}

void StoredKeys::Add(std::string_view value) {
  if (2 * (count_ + 1) > slots_.size()) Grow();
  const std::string_view key = Normal(value);
  Slot& s = slots_[Find(key, Hash(key))];
  if (s.length != kEmpty) return;
  s.offset = static_cast<uint32_t>(text_.size());
  s.length = static_cast<uint32_t>(key.size());
  text_.append(key);
  ++count_;
}

void StoredKeys::Grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.empty() ? 1024 : 2 * old.size(), Slot{});
  for (const Slot& s : old) {
    if (s.length == kEmpty) continue;
    const std::string_view key = std::string_view(text_).substr(s.offset, s.length);
    slots_[Find(key, Hash(key))] = s;
  }
}

std::string DuplicateKeyMessage(const StagingTable& table, std::string_view storedValue) {
  return std::string("violation of PRIMARY or UNIQUE KEY constraint \"") + table.keyConstraint +
         "\" on table \"" + table.name + "\"\nProblematic key value is (\"" + table.keyColumn +
         "\" = '" + std::string(storedValue) + "')";
}

}  // namespace korvun
