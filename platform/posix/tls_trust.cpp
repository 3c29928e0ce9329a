#include "platform/posix/tls_trust.hpp"

#include <cstdlib>

namespace korvun {

namespace {
std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}
}  // namespace

TlsTrust TlsTrustFromEnvironment() {
  TlsTrust trust;
  trust.caFile = Variable("SSL_CERT_FILE");
  if (trust.caFile.empty()) trust.caFile = Variable("CURL_CA_BUNDLE");
  trust.caDir = Variable("SSL_CERT_DIR");
  return trust;
}

}  // namespace korvun
