// The primary key values a load has stored so far, as the database compares
// them: cut to the column's width, trailing blanks not counting. The staging
// tables get their keys after the load (staging_reset.hpp); until then the
// importer refuses a repeated key itself, with the database's words.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "staging/db_client.hpp"
#include "staging/staging_tables.hpp"

namespace korvun {

class StoredKeys {
 public:
  // `width`: the key column's width in bytes; 0 when not known (no cut).
  explicit StoredKeys(size_t width) : width_(width) {}

  bool Contains(std::string_view value) const;
  // The value as the database compares it.
  std::string_view Normal(std::string_view value) const;
  void Add(std::string_view value);
  // The value as the column stores it: cut to the width.
  std::string_view Stored(std::string_view value) const;

 private:
  // Open addressing over offsets into one text of all keys: some ten bytes
  // a key beside the key itself, for the millions of a large load.
  struct Slot {
    uint32_t offset = 0;
    uint32_t length = kEmpty;
  };
  static constexpr uint32_t kEmpty = UINT32_MAX;

  size_t Find(std::string_view key, uint64_t hash) const;  // its slot, or the empty one to fill
  void Grow();

  size_t width_;
  std::string text_;
  std::vector<Slot> slots_;
  size_t count_ = 0;
};

// The database's words for a repeated key, as a failed insert reports them.
std::string DuplicateKeyMessage(const StagingTable& table, std::string_view storedValue);

}  // namespace korvun
