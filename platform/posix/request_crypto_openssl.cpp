#include "platform/posix/request_crypto_openssl.hpp"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <climits>
#include <memory>

namespace korvun {
namespace {

struct CipherContextFree {
  void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};

class OpenSslCrypto final : public RequestCrypto {
 public:
  int RandomBytes(unsigned char* out, std::size_t size) const override {
    if (size > INT_MAX) return -1;
    return RAND_bytes(out, static_cast<int>(size)) == 1 ? 0 : -1;
  }

  int DeriveKeyPbkdf2Sha1(std::string_view passphrase, std::string_view salt, int iterations,
                          unsigned char key[32]) const override {
    if (passphrase.size() > INT_MAX || salt.size() > INT_MAX) return -1;
    const int ok = PKCS5_PBKDF2_HMAC_SHA1(passphrase.data(), static_cast<int>(passphrase.size()),
                                          reinterpret_cast<const unsigned char*>(salt.data()),
                                          static_cast<int>(salt.size()), iterations, 32, key);
    return ok == 1 ? 0 : -1;
  }

  int EncryptAes256Cbc(std::string_view blocks, const unsigned char key[32], std::string_view iv,
                       std::string* cipher) const override {
    if (iv.size() != 16 || blocks.empty() || blocks.size() % 16 != 0 || blocks.size() > INT_MAX - 16)
      return -1;
    std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree> ctx(EVP_CIPHER_CTX_new());
    if (!ctx) return -1;
    std::string out(blocks.size() + 16, '\0');
    int written = 0, finalWritten = 0;
    const bool ok =
        EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr, key,
                           reinterpret_cast<const unsigned char*>(iv.data())) == 1 &&
        EVP_CIPHER_CTX_set_padding(ctx.get(), 0) == 1 &&
        EVP_EncryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(out.data()), &written,
                          reinterpret_cast<const unsigned char*>(blocks.data()),
                          static_cast<int>(blocks.size())) == 1 &&
        EVP_EncryptFinal_ex(ctx.get(), reinterpret_cast<unsigned char*>(out.data()) + written,
                            &finalWritten) == 1;
    if (!ok || static_cast<std::size_t>(written + finalWritten) != blocks.size()) return -1;
    out.resize(blocks.size());
    *cipher = std::move(out);
    return 0;
  }

  void Cleanse(void* data, std::size_t size) const override { OPENSSL_cleanse(data, size); }
};

}  // namespace

const RequestCrypto& OpenSslRequestCrypto() {
  static const OpenSslCrypto crypto;
  return crypto;
}

}  // namespace korvun
