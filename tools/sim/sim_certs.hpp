// The simulator's own certificate authority and its server certificate for
// localhost and 127.0.0.1, made once per certificate folder.
#pragma once

#include <string>

namespace korvun::sim {

struct CertificateFiles {
  std::string caCert;      // PEM, what clients trust
  std::string serverCert;  // PEM, server certificate followed by nothing else
  std::string serverKey;   // PEM
};

// Creates the files in dir unless they exist; several simulators may start
// at once on the same folder. False and *error on failure.
bool EnsureCertificates(const std::string& dir, CertificateFiles* files, std::string* error);

}  // namespace korvun::sim
