// Where libcurl finds the certificates it trusts.
#pragma once

#include <string>

namespace korvun {

struct TlsTrust {
  std::string caFile;  // empty: the HTTP library's built-in bundle
  std::string caDir;   // empty: none beyond the bundle
};

// The system's store, unless SSL_CERT_FILE (first) or CURL_CA_BUNDLE names
// another bundle; SSL_CERT_DIR adds a folder of certificates.
TlsTrust TlsTrustFromEnvironment();

}  // namespace korvun
