#include "transfer/request_params.hpp"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <cstdio>

#include "transfer/request_codecs.hpp"
#include "transfer/request_crypto.hpp"

namespace korvun {

std::string HoldingsParams(const std::string& login, const std::string& pin,
                           const std::string& timestamp) {
  return "file=bestaende;loginid=" + login + ";pin=" + pin + ";version=2.2;timestamp=" + timestamp;
}

std::string TransactionsParams(const std::string& login, const std::string& pin,
                               const std::string& startDate, const std::string& timestamp) {
  return "file=transaktionen;loginid=" + login + ";pin=" + pin +
         ";version=2.2;startdate=" + startDate + ";timestamp=" + timestamp;
}

std::string MaskPinInParams(const std::string& params) {
  // A PIN may itself hold ";" and a login may hold ";pin=": mask from the
  // first ";pin=" to the last ";version=" so no part of the PIN can show.
  const std::size_t pin = params.find(";pin=");
  if (pin == std::string::npos) return params;
  const std::size_t valueStart = pin + 5;
  std::size_t valueEnd = params.rfind(";version=");
  if (valueEnd == std::string::npos || valueEnd < valueStart) valueEnd = params.size();
  return params.substr(0, valueStart) + "****" + params.substr(valueEnd);
}

namespace {

int OpenSslRandomHex16(std::string* hex) {
  unsigned char bytes[8];
  if (RAND_bytes(bytes, sizeof bytes) != 1) return -1;
  char text[17];
  for (int i = 0; i < 8; ++i) std::snprintf(text + 2 * i, 3, "%02X", bytes[i]);
  hex->assign(text, 16);
  return 0;
}

int OpenSslDeriveKey(const std::string& passphrase, const std::string& salt, int iterations,
                     unsigned char key[32]) {
  const int ok = PKCS5_PBKDF2_HMAC_SHA1(passphrase.data(), static_cast<int>(passphrase.size()),
                                        reinterpret_cast<const unsigned char*>(salt.data()),
                                        static_cast<int>(salt.size()), iterations, 32, key);
  return ok == 1 ? 0 : -1;
}

int OpenSslEncrypt(const std::string& padded, const unsigned char key[32], const std::string& iv,
                   std::string* cipher) {
  if (iv.size() != 16 || padded.empty() || padded.size() % 16 != 0) return -1;
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  if (!ctx) return -1;
  std::string out(padded.size() + 16, '\0');
  int written = 0, finalWritten = 0;
  bool ok = EVP_EncryptInit_ex(ctx, EVP_aes_256_cbc(), nullptr, key,
                               reinterpret_cast<const unsigned char*>(iv.data())) == 1 &&
            EVP_CIPHER_CTX_set_padding(ctx, 0) == 1 &&
            EVP_EncryptUpdate(ctx, reinterpret_cast<unsigned char*>(out.data()), &written,
                              reinterpret_cast<const unsigned char*>(padded.data()),
                              static_cast<int>(padded.size())) == 1 &&
            EVP_EncryptFinal_ex(ctx, reinterpret_cast<unsigned char*>(out.data()) + written,
                                &finalWritten) == 1;
  EVP_CIPHER_CTX_free(ctx);
  if (!ok || static_cast<std::size_t>(written + finalWritten) != padded.size()) return -1;
  out.resize(padded.size());
  *cipher = std::move(out);
  return 0;
}

// Wipes the key on every way out of the encoding.
class KeyGuard {
 public:
  explicit KeyGuard(unsigned char* key) : key_(key) {}
  ~KeyGuard() { OPENSSL_cleanse(key_, 32); }
  KeyGuard(const KeyGuard&) = delete;
  KeyGuard& operator=(const KeyGuard&) = delete;

 private:
  unsigned char* key_;
};

}  // namespace

const RequestCryptoOps& OpenSslCryptoOps() {
  static const RequestCryptoOps ops{&OpenSslRandomHex16, &OpenSslDeriveKey, &OpenSslEncrypt};
  return ops;
}

int EncodeRequestParamsWith(const RequestCryptoOps& ops, std::string& params) {
  std::string padded = params;
  PadPkcs7(padded, 16);

  std::string salt, iv;
  if (ops.randomHex16(&salt) != 0 || salt.size() != 16) return -1;
  if (ops.randomHex16(&iv) != 0 || iv.size() != 16) return -1;

  unsigned char key[32];
  KeyGuard guard(key);
  if (ops.deriveKey(kParamsPassphrase, salt, kKeyIterations, key) != 0) return -1;

  std::string cipher;
  const int status = ops.encrypt(padded, key, iv, &cipher);
  OPENSSL_cleanse(padded.data(), padded.size());  // it holds the PIN
  if (status != 0) return status;
  if (cipher.size() != padded.size()) return -1;

  const std::string envelope = salt + iv + cipher;
  params = UrlEscape(
      Base64Encode(reinterpret_cast<const unsigned char*>(envelope.data()), envelope.size()),
      false);
  return 0;
}

int EncodeRequestParams(std::string& params) {
  return EncodeRequestParamsWith(OpenSslCryptoOps(), params);
}

}  // namespace korvun
