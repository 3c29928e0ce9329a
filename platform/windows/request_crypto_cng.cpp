#include "platform/windows/request_crypto_cng.hpp"

#include <windows.h>
#include <bcrypt.h>

#include <climits>
#include <string>

namespace korvun {
namespace {

// NTSTATUS values are negative on failure; the core wants 0 or non-zero.
int Result(NTSTATUS status) { return status >= 0 ? 0 : static_cast<int>(status); }

class AlgorithmHandle {
 public:
  AlgorithmHandle(const wchar_t* algorithm, ULONG flags) {
    status_ = ::BCryptOpenAlgorithmProvider(&handle_, algorithm, nullptr, flags);
  }
  ~AlgorithmHandle() {
    if (handle_) ::BCryptCloseAlgorithmProvider(handle_, 0);
  }
  BCRYPT_ALG_HANDLE get() const { return handle_; }
  NTSTATUS status() const { return status_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
  NTSTATUS status_;
};

class KeyHandle {
 public:
  ~KeyHandle() {
    if (handle_) ::BCryptDestroyKey(handle_);
  }
  BCRYPT_KEY_HANDLE* out() { return &handle_; }
  BCRYPT_KEY_HANDLE get() const { return handle_; }

 private:
  BCRYPT_KEY_HANDLE handle_ = nullptr;
};

class CngCrypto final : public RequestCrypto {
 public:
  int RandomBytes(unsigned char* out, std::size_t size) const override {
    if (size > ULONG_MAX) return -1;
    return Result(::BCryptGenRandom(nullptr, out, static_cast<ULONG>(size),
                                    BCRYPT_USE_SYSTEM_PREFERRED_RNG));
  }

  int DeriveKeyPbkdf2Sha1(std::string_view passphrase, std::string_view salt, int iterations,
                          unsigned char key[32]) const override {
    if (passphrase.size() > ULONG_MAX || salt.size() > ULONG_MAX || iterations <= 0) return -1;
    AlgorithmHandle hmac(BCRYPT_SHA1_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG);
    if (hmac.status() < 0) return Result(hmac.status());
    // The API takes non-const buffers it does not write.
    std::string password(passphrase), saltCopy(salt);
    return Result(::BCryptDeriveKeyPBKDF2(
        hmac.get(), reinterpret_cast<PUCHAR>(password.data()), static_cast<ULONG>(password.size()),
        reinterpret_cast<PUCHAR>(saltCopy.data()), static_cast<ULONG>(saltCopy.size()),
        static_cast<ULONGLONG>(iterations), key, 32, 0));
  }

  int EncryptAes256Cbc(std::string_view blocks, const unsigned char key[32], std::string_view iv,
                       std::string* cipher) const override {
    if (iv.size() != 16 || blocks.empty() || blocks.size() % 16 != 0 || blocks.size() > ULONG_MAX)
      return -1;
    AlgorithmHandle aes(BCRYPT_AES_ALGORITHM, 0);
    if (aes.status() < 0) return Result(aes.status());
    NTSTATUS status = ::BCryptSetProperty(
        aes.get(), BCRYPT_CHAINING_MODE, reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_CBC)),
        sizeof(BCRYPT_CHAIN_MODE_CBC), 0);
    if (status < 0) return Result(status);
    KeyHandle handle;
    unsigned char keyCopy[32];
    std::copy(key, key + 32, keyCopy);
    status = ::BCryptGenerateSymmetricKey(aes.get(), handle.out(), nullptr, 0, keyCopy, 32, 0);
    ::SecureZeroMemory(keyCopy, sizeof keyCopy);
    if (status < 0) return Result(status);
    // CNG writes the chaining value back into the IV buffer.
    unsigned char chain[16];
    std::copy(iv.begin(), iv.end(), chain);
    std::string out(blocks.size(), '\0');
    std::string input(blocks);
    ULONG written = 0;
    status = ::BCryptEncrypt(handle.get(), reinterpret_cast<PUCHAR>(input.data()),
                             static_cast<ULONG>(input.size()), nullptr, chain, sizeof chain,
                             reinterpret_cast<PUCHAR>(out.data()), static_cast<ULONG>(out.size()),
                             &written, 0);
    ::SecureZeroMemory(input.data(), input.size());
    if (status < 0 || written != blocks.size()) return status < 0 ? Result(status) : -1;
    *cipher = std::move(out);
    return 0;
  }

  void Cleanse(void* data, std::size_t size) const override { ::SecureZeroMemory(data, size); }
};

}  // namespace

const RequestCrypto& CngRequestCrypto() {
  static const CngCrypto crypto;
  return crypto;
}

}  // namespace korvun
