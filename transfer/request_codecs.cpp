#include "transfer/request_codecs.hpp"

namespace korvun {

void PadPkcs7(std::string& text, int blockSize) {
  if (blockSize <= 0 || blockSize > 255) return;
  const std::size_t size = static_cast<std::size_t>(blockSize);
  const std::size_t pad = size - text.size() % size;
  text.append(pad, static_cast<char>(pad));
}

std::string Base64Encode(const unsigned char* data, std::size_t length) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((length + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= length; i += 3) {
    const unsigned value = (data[i] << 16) | (data[i + 1] << 8) | data[i + 2];
    out += kAlphabet[(value >> 18) & 63];
    out += kAlphabet[(value >> 12) & 63];
    out += kAlphabet[(value >> 6) & 63];
    out += kAlphabet[value & 63];
  }
  const std::size_t rest = length - i;
  if (rest == 1) {
    const unsigned value = data[i] << 16;
    out += kAlphabet[(value >> 18) & 63];
    out += kAlphabet[(value >> 12) & 63];
    out += "==";
  } else if (rest == 2) {
    const unsigned value = (data[i] << 16) | (data[i + 1] << 8);
    out += kAlphabet[(value >> 18) & 63];
    out += kAlphabet[(value >> 12) & 63];
    out += kAlphabet[(value >> 6) & 63];
    out += '=';
  }
  return out;
}

std::string UrlEscape(const std::string& text, bool blankAsPlus) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9')) {
      out += c;
    } else if (byte == ' ') {
      out += blankAsPlus ? "+" : "%20";
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

}  // namespace korvun
