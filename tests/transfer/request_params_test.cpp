#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "tests/transfer/transfer_test_support.hpp"
#include "transfer/request_codecs.hpp"
#include "platform/env.hpp"
#include "platform/request_crypto.hpp"
#include "transfer/request_params.hpp"
#include "tests/support/hex.hpp"

namespace korvun {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

TEST(RequestParams, PlainTextsFollowTheProtocol) {
  EXPECT_EQ(HoldingsParams("L1", "P;=x", "20261208"),
            "file=bestaende;loginid=L1;pin=P;=x;version=2.2;timestamp=20261208");
  EXPECT_EQ(TransactionsParams("L1", "P", "00000000", "20261208"),
            "file=transaktionen;loginid=L1;pin=P;version=2.2;startdate=00000000;timestamp=20261208");
}

TEST(RequestParams, PinIsMaskedForLogs) {
  EXPECT_EQ(MaskPinInParams(HoldingsParams("L1", "geheim", "20261208")),
            "file=bestaende;loginid=L1;pin=****;version=2.2;timestamp=20261208");
  // A PIN holding ";" or even ";version=" shows no part of itself.
  EXPECT_EQ(MaskPinInParams(TransactionsParams("L1", "a;b;version=c", "00000000", "20261208")),
            "file=transaktionen;loginid=L1;pin=****;version=2.2;startdate=00000000;timestamp=20261208");
  EXPECT_EQ(MaskPinInParams("no pin here"), "no pin here");
}

TEST(RequestCodecs, PaddingFillsToTheBlock) {
  std::string s(57, 'x');
  PadPkcs7(s, 16);
  ASSERT_EQ(s.size(), 64u);
  EXPECT_EQ(s.substr(57), std::string(7, '\x07'));
  std::string full(64, 'x');
  PadPkcs7(full, 16);
  ASSERT_EQ(full.size(), 80u);
  EXPECT_EQ(full.substr(64), std::string(16, '\x10'));
  std::string empty;
  PadPkcs7(empty, 16);
  EXPECT_EQ(empty, std::string(16, '\x10'));
}

std::string B64(const std::string& s) {
  return Base64Encode(reinterpret_cast<const unsigned char*>(s.data()), s.size());
}

TEST(RequestCodecs, Base64AsRfc4648) {
  EXPECT_EQ(B64("abc"), "YWJj");
  EXPECT_EQ(B64("ab"), "YWI=");
  EXPECT_EQ(B64("a"), "YQ==");
  EXPECT_EQ(B64(""), "");
  EXPECT_EQ(B64(std::string("\xFB\xFF\xFE", 3)), "+//+");
}

TEST(RequestCodecs, UrlEscapeKeepsOnlyLettersAndDigits) {
  EXPECT_EQ(UrlEscape("YWI=", false), "YWI%3D");
  EXPECT_EQ(UrlEscape("a+b/c", false), "a%2Bb%2Fc");
  EXPECT_EQ(UrlEscape("a b", false), "a%20b");
  EXPECT_EQ(UrlEscape("a b", true), "a+b");
  EXPECT_EQ(UrlEscape("\xFC-_.~", false), "%FC%2D%5F%2E%7E");
  EXPECT_EQ(UrlEscape("", false), "");
}

std::string Unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%') {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

bool OnlyLettersDigitsAndEscapes(const std::string& s) {
  if (s.empty()) return false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (std::isalnum(static_cast<unsigned char>(s[i]))) continue;
    const std::string escape = s.substr(i, 3);
    if (escape != "%2B" && escape != "%2F" && escape != "%3D") return false;
    i += 2;
  }
  return true;
}

bool IsHex16(const std::string& s) {
  return s.size() == 16 && s.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos;
}

TEST(EncodeRequestParams, OutputIsEscapedBase64OfTheRightLength) {
  const std::string plain = HoldingsParams("ZUVTEST", "geheim", "20261208");
  std::string encoded = plain;
  ASSERT_EQ(EncodeRequestParams(Env::Default().Crypto(), encoded), 0);
  EXPECT_TRUE(OnlyLettersDigitsAndEscapes(encoded)) << encoded;
  const std::size_t padded = (plain.size() / 16 + 1) * 16;
  EXPECT_EQ(Unescape(encoded).size(), 4 * ((32 + padded + 2) / 3));
}

TEST(EncodeRequestParams, TwoEncodingsDiffer) {
  std::string a = "file=bestaende", b = a;
  ASSERT_EQ(EncodeRequestParams(Env::Default().Crypto(), a), 0);
  ASSERT_EQ(EncodeRequestParams(Env::Default().Crypto(), b), 0);
  EXPECT_NE(a, b);
}

// Runs a shell command; its standard output.
std::string RunCommand(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buf[256];
  while (std::fgets(buf, sizeof buf, p)) out += buf;
  pclose(p);
  return out;
}

using testing::Hex;

// The openssl command-line tool decrypts what we encrypted: our encoder and
// our simulator cannot share a mistake unnoticed.
TEST(EncodeRequestParams, OpensslToolDecryptsTheRequest) {
  if (std::system("openssl version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no openssl tool";
  TempDir dir;
  const std::string plain =
      TransactionsParams("ZUV\xE4" "1", "pi;n=", "20081225", "20261208");
  std::string encoded = plain;
  ASSERT_EQ(EncodeRequestParams(Env::Default().Crypto(), encoded), 0);
  WriteFileBytes(dir / "b64.txt", Unescape(encoded));
  const std::string d = dir.Path();
  ASSERT_EQ(std::system(("openssl base64 -d -A -in " + d + "b64.txt -out " + d + "env.bin").c_str()), 0);
  const std::string envelope = ReadFileBytes(dir / "env.bin");
  ASSERT_GE(envelope.size(), 48u);
  const std::string salt = envelope.substr(0, 16), iv = envelope.substr(16, 16);
  EXPECT_TRUE(IsHex16(salt)) << salt;
  EXPECT_TRUE(IsHex16(iv)) << iv;
  WriteFileBytes(dir / "cipher.bin", envelope.substr(32));

  std::string key = RunCommand("openssl kdf -keylen 32 -kdfopt digest:SHA1 -kdfopt pass:Rm4vXtLqPe "
                        "-kdfopt salt:" + salt + " -kdfopt iter:65536 PBKDF2");
  key.erase(std::remove_if(key.begin(), key.end(), [](char c) { return c == ':' || c == '\n'; }),
            key.end());
  ASSERT_EQ(key.size(), 64u) << key;
  ASSERT_EQ(std::system(("openssl enc -d -aes-256-cbc -nopad -K " + key + " -iv " + Hex(iv) +
                         " -in " + d + "cipher.bin -out " + d + "plain.bin")
                            .c_str()),
            0);
  std::string expected = plain;
  PadPkcs7(expected, 16);
  EXPECT_EQ(ReadFileBytes(dir / "plain.bin"), expected);
}

// The platform's primitives, one of which fails on demand.
class FailingCrypto : public RequestCrypto {
 public:
  int failRandomOnCall = 0, randomCalls = 0;
  int kdfStatus = 0, cipherStatus = 0;

  int RandomBytes(unsigned char* out, std::size_t size) const override {
    if (++const_cast<FailingCrypto*>(this)->randomCalls == failRandomOnCall) return -1;
    return real_.RandomBytes(out, size);
  }
  int DeriveKeyPbkdf2Sha1(std::string_view pass, std::string_view salt, int iterations,
                          unsigned char key[32]) const override {
    return kdfStatus ? kdfStatus : real_.DeriveKeyPbkdf2Sha1(pass, salt, iterations, key);
  }
  int EncryptAes256Cbc(std::string_view blocks, const unsigned char key[32], std::string_view iv,
                       std::string* cipher) const override {
    return cipherStatus ? cipherStatus : real_.EncryptAes256Cbc(blocks, key, iv, cipher);
  }
  void Cleanse(void* data, std::size_t size) const override { real_.Cleanse(data, size); }

 private:
  const RequestCrypto& real_ = Env::Default().Crypto();
};

TEST(EncodeRequestParams, FailingStepLeavesTheTextAndReturnsItsStatus) {
  const std::string plain = HoldingsParams("L", "P", "20261208");
  struct Case {
    int failRandomOnCall, kdfStatus, cipherStatus, expected;
  } cases[] = {{1, 0, 0, -1}, {2, 0, 0, -1}, {0, -1, 0, -1}, {0, 0, 7, 7}};
  for (const Case& c : cases) {
    FailingCrypto crypto;
    crypto.failRandomOnCall = c.failRandomOnCall;
    crypto.kdfStatus = c.kdfStatus;
    crypto.cipherStatus = c.cipherStatus;
    std::string text = plain;
    EXPECT_EQ(EncodeRequestParams(crypto, text), c.expected) << c.failRandomOnCall;
    EXPECT_EQ(text, plain);
  }
}

}  // namespace
}  // namespace korvun
