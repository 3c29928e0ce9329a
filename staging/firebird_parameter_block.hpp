// The database parameter block that an attach or a creation hands the
// Firebird client: a version byte, then one clumplet (tag, length, value)
// for each setting.
#pragma once

#include <cstdint>
#include <string>

namespace korvun {

class FirebirdParameterBlock {
 public:
  FirebirdParameterBlock();

  // A text setting of up to 255 bytes; throws DbError when longer.
  FirebirdParameterBlock& Text(char tag, const std::string& value);
  // A number in `bytes` bytes, least significant first, as the client reads it.
  FirebirdParameterBlock& Number(char tag, uint32_t value, int bytes);

  const char* data() const { return bytes_.data(); }
  short size() const { return static_cast<short>(bytes_.size()); }

 private:
  std::string bytes_;
};

// SYSDBA with its password: what every attach of ours begins with.
FirebirdParameterBlock SysdbaParameters(const std::string& password);

}  // namespace korvun
