#include "tools/sim/sim_certs.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <filesystem>
#include <memory>

namespace korvun::sim {

namespace fs = std::filesystem;

namespace {

using KeyPtr = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using CertPtr = std::unique_ptr<X509, decltype(&X509_free)>;

KeyPtr NewKey() { return KeyPtr(EVP_EC_gen("P-256"), &EVP_PKEY_free); }

bool AddExtension(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_nconf_nid(nullptr, &ctx, nid, value);
  if (!ext) return false;
  const bool ok = X509_add_ext(cert, ext, -1) == 1;
  X509_EXTENSION_free(ext);
  return ok;
}

CertPtr NewCert(EVP_PKEY* key, const char* commonName, X509* issuer, EVP_PKEY* issuerKey,
                bool isCa) {
  CertPtr cert(X509_new(), &X509_free);
  if (!cert) return cert;
  unsigned char serial[16];
  RAND_bytes(serial, sizeof serial);
  serial[0] &= 0x7F;
  BIGNUM* bn = BN_bin2bn(serial, sizeof serial, nullptr);
  BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(cert.get()));
  BN_free(bn);
  X509_set_version(cert.get(), 2);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), -24L * 3600);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), (isCa ? 3650L : 825L) * 24 * 3600);
  X509_set_pubkey(cert.get(), key);
  X509_NAME* name = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("Korvun ZUV Simulator"), -1, -1, 0);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
  X509* signer = issuer ? issuer : cert.get();
  X509_set_issuer_name(cert.get(), X509_get_subject_name(signer));
  bool ok = true;
  if (isCa) {
    ok = AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:TRUE") &&
         AddExtension(cert.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign") &&
         AddExtension(cert.get(), signer, NID_subject_key_identifier, "hash");
  } else {
    ok = AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:FALSE") &&
         AddExtension(cert.get(), signer, NID_key_usage, "critical,digitalSignature") &&
         AddExtension(cert.get(), signer, NID_ext_key_usage, "serverAuth") &&
         AddExtension(cert.get(), signer, NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1") &&
         AddExtension(cert.get(), signer, NID_subject_key_identifier, "hash") &&
         AddExtension(cert.get(), signer, NID_authority_key_identifier, "keyid");
  }
  if (!ok || X509_sign(cert.get(), issuerKey, EVP_sha256()) <= 0) cert.reset();
  return cert;
}

// Writes through a temporary file so a reader never sees half a file.
bool WritePem(const fs::path& path, X509* cert, EVP_PKEY* key) {
  const fs::path temp = path.string() + ".tmp";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return false;
  const bool ok = cert ? PEM_write_X509(f, cert) == 1
                       : PEM_write_PrivateKey(f, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
  std::fclose(f);
  std::error_code ec;
  if (!ok) return false;
  fs::rename(temp, path, ec);
  return !ec;
}

}  // namespace

bool EnsureCertificates(const std::string& dir, CertificateFiles* files, std::string* error) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  const fs::path base(dir);
  files->caCert = fs::absolute(base / "ca.pem").string();
  files->serverCert = fs::absolute(base / "server.pem").string();
  files->serverKey = fs::absolute(base / "server.key").string();

  const std::string lockPath = (base / ".lock").string();
  const int lock = ::open(lockPath.c_str(), O_CREAT | O_RDWR, 0600);
  if (lock < 0 || ::flock(lock, LOCK_EX) != 0) {
    if (lock >= 0) ::close(lock);
    *error = "cannot lock " + lockPath;
    return false;
  }
  bool ok = true;
  if (!fs::exists(files->caCert) || !fs::exists(files->serverCert) ||
      !fs::exists(files->serverKey)) {
    KeyPtr caKey = NewKey();
    KeyPtr serverKey = NewKey();
    ok = caKey && serverKey;
    CertPtr ca(nullptr, &X509_free), server(nullptr, &X509_free);
    if (ok) ca = NewCert(caKey.get(), "Korvun ZUV Simulator CA", nullptr, caKey.get(), true);
    if (ca) server = NewCert(serverKey.get(), "localhost", ca.get(), caKey.get(), false);
    ok = ca && server && WritePem(base / "ca.key", nullptr, caKey.get()) &&
         WritePem(files->serverKey, nullptr, serverKey.get()) &&
         WritePem(files->serverCert, server.get(), nullptr) &&
         WritePem(files->caCert, ca.get(), nullptr);
    if (!ok) *error = "cannot create certificates in " + dir;
  }
  ::flock(lock, LOCK_UN);
  ::close(lock);
  return ok;
}

}  // namespace korvun::sim
