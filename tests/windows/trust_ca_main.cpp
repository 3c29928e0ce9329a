// korvun-trust-ca CA.pem: adds a CA to the Root stores of the Wine prefix it
// runs in, so WinINet trusts a local provider simulator. For scripts/wine-export.
#include <cstdio>

#include "tests/windows/windows_test_support.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: korvun-trust-ca CA.pem\n");
    return 2;
  }
  if (!korvun::testing::TrustCa(argv[1])) {
    std::fprintf(stderr, "korvun-trust-ca: %s not added\n", argv[1]);
    return 1;
  }
  return 0;
}
