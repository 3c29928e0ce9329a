#include "transfer/request_params.hpp"

#include "transfer/request_codecs.hpp"

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

// Fixed secrets of the request protocol.
constexpr std::string_view kParamsPassphrase = "Rm4vXtLqPe";
constexpr int kKeyIterations = 65536;

// 8 fresh random bytes as 16 uppercase hexadecimal digits.
int RandomHex16(const RequestCrypto& crypto, std::string* hex) {
  unsigned char bytes[8];
  if (const int status = crypto.RandomBytes(bytes, sizeof bytes); status != 0) return status;
  static constexpr char kDigits[] = "0123456789ABCDEF";
  hex->clear();
  for (const unsigned char b : bytes) {
    *hex += kDigits[b >> 4];
    *hex += kDigits[b & 15];
  }
  return 0;
}

// Wipes a secret on every way out of the encoding.
class SecretGuard {
 public:
  SecretGuard(const RequestCrypto& crypto, void* data, std::size_t size)
      : crypto_(crypto), data_(data), size_(size) {}
  ~SecretGuard() { crypto_.Cleanse(data_, size_); }
  SecretGuard(const SecretGuard&) = delete;
  SecretGuard& operator=(const SecretGuard&) = delete;

 private:
  const RequestCrypto& crypto_;
  void* data_;
  std::size_t size_;
};

}  // namespace

int EncodeRequestParams(const RequestCrypto& crypto, std::string& params) {
  std::string padded = params;
  PadPkcs7(padded, 16);
  SecretGuard paddedGuard(crypto, padded.data(), padded.size());  // it holds the PIN

  std::string salt, iv;
  if (const int status = RandomHex16(crypto, &salt); status != 0) return status;
  if (const int status = RandomHex16(crypto, &iv); status != 0) return status;

  unsigned char key[32];
  SecretGuard keyGuard(crypto, key, sizeof key);
  if (const int status = crypto.DeriveKeyPbkdf2Sha1(kParamsPassphrase, salt, kKeyIterations, key);
      status != 0)
    return status;

  std::string cipher;
  if (const int status = crypto.EncryptAes256Cbc(padded, key, iv, &cipher); status != 0)
    return status;
  if (cipher.size() != padded.size()) return -1;

  const std::string envelope = salt + iv + cipher;
  params = UrlEscape(
      Base64Encode(reinterpret_cast<const unsigned char*>(envelope.data()), envelope.size()),
      false);
  return 0;
}

}  // namespace korvun
