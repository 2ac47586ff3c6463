// The documents' signatures: RSA with SHA-1 (PKCS #1 v1.5), in base64, over
// "Date;SystemEntryDate;No;GrossTotal;PreviousHash". A thin layer over
// OpenSSL.
#ifndef SAFTPT_AUDIT_SIGNATURECHECK_H_
#define SAFTPT_AUDIT_SIGNATURECHECK_H_

#include <memory>
#include <string>

namespace saftpt {

// The text that is signed. `grossTotal` is written with two decimals and a
// dot whatever its form in the file; the other fields go as given.
std::string TextoAssinado(const std::string& data, const std::string& entrada,
                          const std::string& numero, const std::string& grossTotal,
                          const std::string& hashAnterior);

// A Hash has the form of a signature: 172 characters of base64 (128 bytes).
bool FormaDeAssinatura(const std::string& hash);

class ChavePublica {
 public:
  // Reads a PEM public key (or certificate). Throws Error (kSettings) naming
  // the file when it cannot be read or holds no RSA public key.
  explicit ChavePublica(const std::string& pemPath);
  ~ChavePublica();
  ChavePublica(const ChavePublica&) = delete;
  ChavePublica& operator=(const ChavePublica&) = delete;

  // True when `hashBase64` is this key's signature of `texto`. `texto` is
  // UTF-8; it is signed in Windows-1252, as the billing program keeps it.
  bool Verifica(const std::string& texto, const std::string& hashBase64) const;

 private:
  struct Chave;
  std::unique_ptr<Chave> chave_;
};

}  // namespace saftpt

#endif  // SAFTPT_AUDIT_SIGNATURECHECK_H_
