// Placeholder until the transfer stage lands.
#include "transfer/request_params.hpp"
namespace korvun {
std::string HoldingsParams(const std::string&, const std::string&, const std::string&) { return {}; }
std::string TransactionsParams(const std::string&, const std::string&, const std::string&,
                               const std::string&) { return {}; }
int EncodeRequestParams(std::string&) { return -1; }
}  // namespace korvun
