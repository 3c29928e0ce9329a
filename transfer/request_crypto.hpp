// The cryptographic steps behind EncodeRequestParams, as a small table of
// operations so that tests can make any one of them fail.
#pragma once

#include <string>

namespace korvun {

struct RequestCryptoOps {
  // 8 fresh random bytes as 16 hexadecimal digits; 0 or -1.
  int (*randomHex16)(std::string* hex);
  // 32-byte PBKDF2-HMAC-SHA1 key of the passphrase and salt; 0 or -1.
  int (*deriveKey)(const std::string& passphrase, const std::string& salt, int iterations,
                   unsigned char key[32]);
  // AES-256-CBC without padding of its own; 0 on success.
  int (*encrypt)(const std::string& padded, const unsigned char key[32], const std::string& iv,
                 std::string* cipher);
};

// The operations on OpenSSL's libcrypto.
const RequestCryptoOps& OpenSslCryptoOps();

int EncodeRequestParamsWith(const RequestCryptoOps& ops, std::string& params);

// Fixed secrets of the request protocol.
inline constexpr const char* kParamsPassphrase = "Rm4vXtLqPe";
inline constexpr int kKeyIterations = 65536;

}  // namespace korvun
