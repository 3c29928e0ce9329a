// Placeholder until the transfer stage lands.
#include "transfer/fetch_data_file.hpp"
namespace korvun {
int FetchDataFile(RunContext&, const FetchRequest&) { return -1; }
}  // namespace korvun
