#include "staging/firebird_parameter_block.hpp"

#include <ibase.h>

#include "staging/db_client.hpp"

namespace korvun {

FirebirdParameterBlock::FirebirdParameterBlock() : bytes_(1, static_cast<char>(isc_dpb_version1)) {}

FirebirdParameterBlock& FirebirdParameterBlock::Text(char tag, const std::string& value) {
  if (value.size() > 255) throw DbError("Verbindungsparameter zu lang");
  bytes_.push_back(tag);
  bytes_.push_back(static_cast<char>(value.size()));
  bytes_.append(value);
  return *this;
}

FirebirdParameterBlock& FirebirdParameterBlock::Number(char tag, uint32_t value, int bytes) {
  bytes_.push_back(tag);
  bytes_.push_back(static_cast<char>(bytes));
  for (int i = 0; i < bytes; ++i) bytes_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  return *this;
}

FirebirdParameterBlock SysdbaParameters(const std::string& password) {
  FirebirdParameterBlock block;
  block.Text(isc_dpb_user_name, "SYSDBA").Text(isc_dpb_password, password);
  return block;
}

}  // namespace korvun
