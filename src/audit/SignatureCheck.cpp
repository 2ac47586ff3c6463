#include "audit/SignatureCheck.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "audit/LibraryHandles.h"
#include "base/Error.h"
#include "base/Utf8.h"

namespace saftpt {

namespace {

bool Base64(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '/';
}

// UTF-8 to Windows-1252; a character it cannot hold becomes "?".
std::string Windows1252(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) {
    int b = Windows1252Byte(NextCodePoint(utf8, pos));
    out += b < 0 ? '?' : static_cast<char>(b);
  }
  return out;
}

}  // namespace

struct ChavePublica::Chave {
  EVP_PKEY* pkey = nullptr;
  ~Chave() { EVP_PKEY_free(pkey); }
};

std::string TextoAssinado(const std::string& data, const std::string& entrada,
                          const std::string& numero, const std::string& grossTotal,
                          const std::string& hashAnterior) {
  std::string total = grossTotal;
  char* fim = nullptr;
  double valor = std::strtod(grossTotal.c_str(), &fim);
  if (!grossTotal.empty() && fim && *fim == '\0') {
    char texto[64];
    std::snprintf(texto, sizeof texto, "%.2f", valor);
    total = texto;
  }
  return data + ";" + entrada + ";" + numero + ";" + total + ";" + hashAnterior;
}

bool FormaDeAssinatura(const std::string& hash) {
  if (hash.size() != 172) return false;
  size_t fim = hash.size();
  while (fim > 170 && hash[fim - 1] == '=') --fim;
  for (size_t i = 0; i < fim; ++i)
    if (!Base64(hash[i])) return false;
  return true;
}

ChavePublica::ChavePublica(const std::string& pemPath) : chave_(std::make_unique<Chave>()) {
  BioPtr bio(BIO_new_file(pemPath.c_str(), "r"));
  if (!bio) throw Error(Error::kSettings, "Não foi possível ler a chave pública " + pemPath + ".");
  chave_->pkey = PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr);
  if (!chave_->pkey) {
    BIO_reset(bio.get());
    X509Ptr certificado(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
    if (certificado) chave_->pkey = X509_get_pubkey(certificado.get());
  }
  if (!chave_->pkey || EVP_PKEY_get_base_id(chave_->pkey) != EVP_PKEY_RSA)
    throw Error(Error::kSettings,
                "O ficheiro " + pemPath + " não tem uma chave pública RSA em formato PEM.");
}

ChavePublica::~ChavePublica() = default;

bool ChavePublica::Verifica(const std::string& texto, const std::string& hashBase64) const {
  if (!FormaDeAssinatura(hashBase64)) return false;
  std::vector<unsigned char> assinatura(hashBase64.size());
  int n =
      EVP_DecodeBlock(assinatura.data(), reinterpret_cast<const unsigned char*>(hashBase64.data()),
                      static_cast<int>(hashBase64.size()));
  if (n < 0) return false;
  // The decoder counts the padding as bytes.
  for (size_t i = hashBase64.size(); i > 0 && hashBase64[i - 1] == '='; --i) --n;
  std::string mensagem = Windows1252(texto);
  MdContextPtr ctx(EVP_MD_CTX_new());
  if (!ctx || EVP_DigestVerifyInit(ctx.get(), nullptr, EVP_sha1(), nullptr, chave_->pkey) != 1)
    return false;
  return EVP_DigestVerify(ctx.get(), assinatura.data(), static_cast<size_t>(n),
                          reinterpret_cast<const unsigned char*>(mensagem.data()),
                          mensagem.size()) == 1;
}

}  // namespace saftpt
