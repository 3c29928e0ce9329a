#include "tools/sim/sim_request.hpp"

#include <openssl/evp.h>

#include <cctype>
#include <memory>
#include <vector>

namespace korvun::sim {

namespace {

constexpr const char* kPassphrase = "Rm4vXtLqPe";
constexpr int kIterations = 65536;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Our client escapes everything but letters and digits; anything else in
// the raw value is a malformed request.
std::optional<std::string> Unescape(const std::string& raw, std::string* error) {
  std::string out;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (std::isalnum(static_cast<unsigned char>(c))) {
      out += c;
    } else if (c == '%' && i + 2 < raw.size() && HexValue(raw[i + 1]) >= 0 &&
               HexValue(raw[i + 2]) >= 0) {
      if (std::islower(static_cast<unsigned char>(raw[i + 1])) ||
          std::islower(static_cast<unsigned char>(raw[i + 2]))) {
        *error = "lowercase percent escape";
        return std::nullopt;
      }
      out += static_cast<char>(HexValue(raw[i + 1]) * 16 + HexValue(raw[i + 2]));
      i += 2;
    } else {
      *error = std::string("unexpected character in params: ") + c;
      return std::nullopt;
    }
  }
  return out;
}

std::optional<std::string> DecodeBase64(const std::string& text, std::string* error) {
  static const std::string kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  if (text.empty() || text.size() % 4 != 0) {
    *error = "base64 length not a multiple of 4";
    return std::nullopt;
  }
  std::string out;
  std::size_t padding = 0;
  for (std::size_t i = 0; i < text.size(); i += 4) {
    unsigned value = 0;
    for (std::size_t j = 0; j < 4; ++j) {
      const char c = text[i + j];
      if (c == '=') {
        if (i + 4 != text.size() || j < 2) {
          *error = "misplaced base64 filling";
          return std::nullopt;
        }
        ++padding;
        value <<= 6;
        continue;
      }
      if (padding > 0) {
        *error = "data after base64 filling";
        return std::nullopt;
      }
      const std::size_t index = kAlphabet.find(c);
      if (index == std::string::npos) {
        *error = "not a base64 character";
        return std::nullopt;
      }
      value = (value << 6) | static_cast<unsigned>(index);
    }
    out += static_cast<char>((value >> 16) & 0xFF);
    if (padding < 2) out += static_cast<char>((value >> 8) & 0xFF);
    if (padding < 1) out += static_cast<char>(value & 0xFF);
  }
  return out;
}

bool IsHexText(const std::string& text) {
  for (const char c : text)
    if (HexValue(c) < 0) return false;
  return true;
}

std::optional<std::string> Decrypt(const std::string& cipher, const std::string& salt,
                                   const std::string& iv, std::string* error) {
  unsigned char key[32];
  if (PKCS5_PBKDF2_HMAC(kPassphrase, 10, reinterpret_cast<const unsigned char*>(salt.data()), 16,
                        kIterations, EVP_sha1(), 32, key) != 1) {
    *error = "key derivation failed";
    return std::nullopt;
  }
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                       &EVP_CIPHER_CTX_free);
  std::string plain(cipher.size() + 16, '\0');
  int n = 0, m = 0;
  const bool ok =
      ctx && EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr, key,
                                reinterpret_cast<const unsigned char*>(iv.data())) == 1 &&
      EVP_CIPHER_CTX_set_padding(ctx.get(), 0) == 1 &&
      EVP_DecryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(plain.data()), &n,
                        reinterpret_cast<const unsigned char*>(cipher.data()),
                        static_cast<int>(cipher.size())) == 1 &&
      EVP_DecryptFinal_ex(ctx.get(), reinterpret_cast<unsigned char*>(plain.data()) + n, &m) == 1;
  OPENSSL_cleanse(key, sizeof key);
  if (!ok) {
    *error = "AES decryption failed";
    return std::nullopt;
  }
  plain.resize(static_cast<std::size_t>(n + m));
  // PKCS #7 padding, checked byte by byte.
  if (plain.empty()) {
    *error = "empty plain text";
    return std::nullopt;
  }
  const unsigned char pad = static_cast<unsigned char>(plain.back());
  if (pad < 1 || pad > 16 || pad > plain.size()) {
    *error = "bad padding length";
    return std::nullopt;
  }
  for (std::size_t i = plain.size() - pad; i < plain.size(); ++i)
    if (static_cast<unsigned char>(plain[i]) != pad) {
      *error = "bad padding bytes";
      return std::nullopt;
    }
  plain.resize(plain.size() - pad);
  return plain;
}

// Takes "key=" at *pos and the value up to the next expected key.
bool TakeField(const std::string& plain, std::size_t* pos, const std::string& key,
               const std::string& nextKey, std::string* value) {
  if (plain.compare(*pos, key.size() + 1, key + "=") != 0) return false;
  const std::size_t start = *pos + key.size() + 1;
  if (nextKey.empty()) {
    *value = plain.substr(start);
    *pos = plain.size();
    return true;
  }
  const std::size_t end = plain.find(";" + nextKey + "=", start);
  if (end == std::string::npos) return false;
  *value = plain.substr(start, end - start);
  *pos = end + 1;
  return true;
}

bool ParsePlain(const std::string& plain, DecodedRequest* request, std::string* error) {
  std::size_t pos = 0;
  if (!TakeField(plain, &pos, "file", "loginid", &request->file) ||
      !TakeField(plain, &pos, "loginid", "pin", &request->loginId)) {
    *error = "fields file, loginid missing or out of order: " + plain.substr(0, 40);
    return false;
  }
  // A PIN may hold ";": it ends at the last ";version=".
  const std::string pinKey = "pin=";
  const std::size_t versionAt = plain.rfind(";version=");
  if (plain.compare(pos, pinKey.size(), pinKey) != 0 || versionAt == std::string::npos ||
      versionAt < pos + pinKey.size()) {
    *error = "field pin missing or out of order";
    return false;
  }
  request->pin = plain.substr(pos + pinKey.size(), versionAt - pos - pinKey.size());
  pos = versionAt + 1;
  const bool transactions = request->file == "transaktionen";
  if (!TakeField(plain, &pos, "version", transactions ? "startdate" : "timestamp",
                 &request->version)) {
    *error = "field version missing or out of order";
    return false;
  }
  if (transactions) {
    std::string start;
    if (!TakeField(plain, &pos, "startdate", "timestamp", &start)) {
      *error = "field startdate missing or out of order";
      return false;
    }
    request->startDate = start;
  }
  if (!TakeField(plain, &pos, "timestamp", "", &request->timestamp)) {
    *error = "field timestamp missing or out of order";
    return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> RawParamsValue(const std::string& target) {
  const std::size_t query = target.find('?');
  if (query == std::string::npos) return std::nullopt;
  const std::string key = "params=";
  if (target.compare(query + 1, key.size(), key) != 0) return std::nullopt;
  std::string value = target.substr(query + 1 + key.size());
  if (value.find('&') != std::string::npos) return std::nullopt;
  return value;
}

std::optional<DecodedRequest> DecodeParams(const std::string& rawValue, std::string* error) {
  const auto base64 = Unescape(rawValue, error);
  if (!base64) return std::nullopt;
  const auto envelope = DecodeBase64(*base64, error);
  if (!envelope) return std::nullopt;
  if (envelope->size() < 48 || (envelope->size() - 32) % 16 != 0) {
    *error = "envelope length " + std::to_string(envelope->size());
    return std::nullopt;
  }
  DecodedRequest request;
  request.salt = envelope->substr(0, 16);
  request.iv = envelope->substr(16, 16);
  if (!IsHexText(request.salt) || !IsHexText(request.iv)) {
    *error = "salt or IV is not hexadecimal text";
    return std::nullopt;
  }
  const auto plain = Decrypt(envelope->substr(32), request.salt, request.iv, error);
  if (!plain) return std::nullopt;
  if (!ParsePlain(*plain, &request, error)) return std::nullopt;
  return request;
}

}  // namespace korvun::sim
