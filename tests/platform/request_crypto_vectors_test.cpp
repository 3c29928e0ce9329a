// The request crypto of every platform (OpenSSL here, CNG on Windows) held
// to the same fixed vectors.
#include <gtest/gtest.h>

#include <string>

#include "platform/env.hpp"
#include "platform/request_crypto.hpp"
#include "tests/support/hex.hpp"

namespace korvun {
namespace {

using testing::Hex;

// Computed with: openssl kdf -keylen 32 -kdfopt digest:SHA1 -kdfopt pass:Rm4vXtLqPe
//   -kdfopt salt:0123456789ABCDEF -kdfopt iter:65536 PBKDF2, then
//   openssl enc -aes-256-cbc -nopad -K <key> -iv <hex of FEDCBA9876543210> over 32 "A".
constexpr const char* kVectorKey = "8903ffc9e7a3d3e3b3cc3f0e39250d8b12eb6f601afde21213dd1bc979dedd20";
constexpr const char* kVectorCipher =
    "aba06c1937a5e4e3d60fc77db28311e9d9e28abe70a1e0fd2cfa994c95bfa728";

// Fixed salt, IV and text give the bytes the openssl tool gives, so every
// platform's primitives can be held to the same vectors.
TEST(RequestCrypto, FixedVectors) {
  const RequestCrypto& crypto = Env::Default().Crypto();
  unsigned char key[32];
  ASSERT_EQ(crypto.DeriveKeyPbkdf2Sha1("Rm4vXtLqPe", "0123456789ABCDEF", 65536, key), 0);
  EXPECT_EQ(Hex(std::string(reinterpret_cast<char*>(key), 32)), kVectorKey);
  std::string cipher;
  ASSERT_EQ(crypto.EncryptAes256Cbc(std::string(32, 'A'), key, "FEDCBA9876543210", &cipher), 0);
  EXPECT_EQ(Hex(cipher), kVectorCipher);
}

TEST(RequestCrypto, RandomBytesDiffer) {
  const RequestCrypto& crypto = Env::Default().Crypto();
  unsigned char a[16] = {}, b[16] = {};
  ASSERT_EQ(crypto.RandomBytes(a, sizeof a), 0);
  ASSERT_EQ(crypto.RandomBytes(b, sizeof b), 0);
  EXPECT_NE(Hex(std::string(reinterpret_cast<char*>(a), 16)),
            Hex(std::string(reinterpret_cast<char*>(b), 16)));
}

TEST(RequestCrypto, CipherRefusesPartialBlocksAndShortIv) {
  const RequestCrypto& crypto = Env::Default().Crypto();
  unsigned char key[32] = {};
  std::string cipher;
  EXPECT_NE(crypto.EncryptAes256Cbc(std::string(15, 'A'), key, "FEDCBA9876543210", &cipher), 0);
  EXPECT_NE(crypto.EncryptAes256Cbc(std::string(16, 'A'), key, "short", &cipher), 0);
}

}  // namespace
}  // namespace korvun
