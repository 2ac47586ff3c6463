// An RSA key pair made for one test run (never stored), signing as the billing
// program does: SHA-1, PKCS #1 v1.5, base64.
#ifndef SAFTPT_TESTS_TESTKEYS_H_
#define SAFTPT_TESTS_TESTKEYS_H_

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace saftpt::test {

class TestKey {
 public:
  // 1024 bits: a signature of 128 bytes, 172 characters of base64.
  TestKey() : key_(EVP_RSA_gen(1024)) {
    if (!key_) throw std::runtime_error("EVP_RSA_gen");
  }
  ~TestKey() { EVP_PKEY_free(key_); }
  TestKey(const TestKey&) = delete;
  TestKey& operator=(const TestKey&) = delete;

  std::string Sign(const std::string& text) const {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    size_t n = 0;
    std::vector<unsigned char> sig(EVP_PKEY_get_size(key_));
    bool ok = EVP_DigestSignInit(ctx, nullptr, EVP_sha1(), nullptr, key_) == 1 &&
              EVP_DigestSign(ctx, nullptr, &n, reinterpret_cast<const unsigned char*>(text.data()),
                             text.size()) == 1 &&
              EVP_DigestSign(ctx, sig.data(), &n,
                             reinterpret_cast<const unsigned char*>(text.data()), text.size()) == 1;
    EVP_MD_CTX_free(ctx);
    if (!ok) throw std::runtime_error("EVP_DigestSign");
    std::string b64(4 * ((n + 2) / 3) + 1, '\0');
    int len = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(b64.data()), sig.data(),
                              static_cast<int>(n));
    b64.resize(static_cast<size_t>(len));
    return b64;
  }

  // Writes the public key as PEM to `path`.
  void WritePublic(const std::string& path) const {
    BIO* bio = BIO_new_file(path.c_str(), "w");
    bool ok = bio && PEM_write_bio_PUBKEY(bio, key_) == 1;
    BIO_free(bio);
    if (!ok) throw std::runtime_error("PEM_write_bio_PUBKEY " + path);
  }

 private:
  EVP_PKEY* key_;
};

}  // namespace saftpt::test

#endif  // SAFTPT_TESTS_TESTKEYS_H_
