// The cryptographic primitives the request encoding needs from the platform
// (OpenSSL's libcrypto on POSIX). What is built from them, the envelope,
// padding and text forms, stays in the core. Each call answers 0, or the
// platform's non-zero status, which the run reports as the encoding's status.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvun {

class RequestCrypto {
 public:
  virtual ~RequestCrypto() = default;

  // `size` fresh random bytes from the platform's secure source.
  virtual int RandomBytes(unsigned char* out, std::size_t size) const = 0;
  // The 32-byte PBKDF2-HMAC-SHA1 key of the passphrase and salt.
  virtual int DeriveKeyPbkdf2Sha1(std::string_view passphrase, std::string_view salt,
                                  int iterations, unsigned char key[32]) const = 0;
  // AES-256-CBC over whole 16-byte blocks, without padding of its own.
  virtual int EncryptAes256Cbc(std::string_view blocks, const unsigned char key[32],
                               std::string_view iv, std::string* cipher) const = 0;
  // Overwrites a secret in a way the compiler may not leave out.
  virtual void Cleanse(void* data, std::size_t size) const = 0;
};

}  // namespace korvun
