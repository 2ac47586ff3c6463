#include "audit/FileAudit.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <tuple>

#include "audit/SaftFileReader.h"
#include "audit/SignatureCheck.h"
#include "base/Error.h"
#include "base/Utf8.h"
#include "base/Utf8Path.h"
#include "config/IniFile.h"

namespace saftpt {

namespace {

// What is kept of each document until the end of the file.
struct Guardado {
  long long numero = 0;
  std::string data, entrada, atcud, hash, hashControl, grossTotal;
};

// A document kind's type and series: the section and "F A/".
using Serie = std::pair<SourceSection, std::string>;

bool SoAlgarismos(const std::string& s) {
  return !s.empty() && s.size() <= 18 &&
         std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

class FileAudit::Impl {
 public:
  explicit Impl(const AuditOptions& options) : options_(options) {}

  void ReadKeys() {
    if (keysRead_) return;
    keysRead_ = true;
    for (const auto& [versao, ficheiro] : options_.chavesPublicas)
      if (!chaves_.count(ficheiro)) chaves_[ficheiro] = std::make_unique<ChavePublica>(ficheiro);
  }

  void Documento(const CabecalhoLido& cabecalho, const DocumentoLido& d) {
    ReadKeys();
    versao104_ = cabecalho.auditFileVersion.rfind("1.04", 0) == 0;
    zeroAceite_ =
        !cabecalho.dateCreated.empty() && cabecalho.dateCreated < std::string(kAtcudRequiredFrom);
    size_t barra = d.numero.rfind('/');
    std::string numero = barra == std::string::npos ? "" : d.numero.substr(barra + 1);
    if (!SoAlgarismos(numero)) {
      report_.findings.push_back({Gravidade::kErro, d.numero,
                                  "Número de documento sem a forma TIPO SÉRIE/N: «" + d.numero +
                                      "» (linha " + std::to_string(d.line) + ")"});
      return;
    }
    Guardado g;
    g.numero = std::stoll(numero);
    g.data = d.data;
    g.entrada = d.entrada;
    g.atcud = d.atcud;
    if (d.section != SourceSection::kPayments) {
      g.hash = d.hash;
      g.hashControl = d.hashControl;
      g.grossTotal = d.grossTotal;
    }
    series_[{d.section, d.numero.substr(0, barra + 1)}].push_back(std::move(g));
  }

  AuditReport Conclui() {
    ReadKeys();
    for (auto& [serie, docs] : series_) {
      std::stable_sort(docs.begin(), docs.end(),
                       [](const Guardado& a, const Guardado& b) { return a.numero < b.numero; });
      const std::string& prefixo = serie.second;
      if (options_.numeracao) {
        std::vector<DocumentoDaSerie> sequencia;
        sequencia.reserve(docs.size());
        for (const Guardado& g : docs) sequencia.push_back({g.numero, g.data, g.entrada});
        CheckSequence(prefixo, sequencia, -1, report_.findings);
      }
      for (size_t i = 0; i < docs.size(); ++i) CheckDocument(prefixo, docs, i);
    }
    return std::move(report_);
  }

 private:
  void CheckDocument(const std::string& prefixo, const std::vector<Guardado>& docs, size_t i) {
    const Guardado& g = docs[i];
    std::string nome = prefixo + std::to_string(g.numero);
    if (options_.numeracao && versao104_) {
      if (std::optional<std::string> motivo = FindAtcudProblem(g.atcud, nome, zeroAceite_))
        report_.findings.push_back({Gravidade::kErro, nome, InvalidAtcudMessage(nome, *motivo)});
    }
    if (g.hash.empty() || g.hash == "0") return;
    if (!FormaDeAssinatura(g.hash)) {
      report_.findings.push_back(
          {Gravidade::kErro, nome, "Hash de " + nome + " não tem 172 caracteres de base64"});
      return;
    }
    if (options_.chavesPublicas.empty()) return;
    const ChavePublica* chave = Chave(g.hashControl);
    if (!chave) return;
    bool repetido = (i > 0 && docs[i - 1].numero == g.numero) ||
                    (i + 1 < docs.size() && docs[i + 1].numero == g.numero);
    if (repetido) return;  // the repetition is the error
    std::string anterior;
    if (g.numero != 1) {
      std::string nomeAnterior = prefixo + std::to_string(g.numero - 1);
      if (i == 0 || docs[i - 1].numero != g.numero - 1) {
        report_.findings.push_back({Gravidade::kAviso, nome,
                                    "A assinatura de " + nome + " não pode ser verificada: " +
                                        nomeAnterior + " não está no ficheiro"});
        return;
      }
      anterior = docs[i - 1].hash;
      if (anterior.empty() || anterior == "0") {
        report_.findings.push_back({Gravidade::kAviso, nome,
                                    "A assinatura de " + nome + " não pode ser verificada: " +
                                        nomeAnterior + " não está assinado"});
        return;
      }
    }
    std::string texto = TextoAssinado(g.data, g.entrada, nome, g.grossTotal, anterior);
    if (!chave->Verifica(texto, g.hash))
      report_.findings.push_back({Gravidade::kErro, nome, "Assinatura inválida: " + nome});
  }

  // The key of a HashControl version; warns once for a version without one.
  const ChavePublica* Chave(const std::string& versao) {
    auto it = options_.chavesPublicas.find(versao);
    if (it == options_.chavesPublicas.end()) it = options_.chavesPublicas.find("");
    if (it != options_.chavesPublicas.end()) return chaves_.at(it->second).get();
    if (semChave_.insert(versao).second)
      report_.findings.push_back(
          {Gravidade::kAviso, "",
           "Sem chave pública para a versão " + versao +
               " (HashControl): as assinaturas dessa versão não são verificadas"});
    return nullptr;
  }

  const AuditOptions& options_;
  bool keysRead_ = false;
  std::map<std::string, std::unique_ptr<ChavePublica>> chaves_;  // by file
  std::map<Serie, std::vector<Guardado>> series_;
  std::set<std::string> semChave_;
  bool versao104_ = false;
  bool zeroAceite_ = false;
  AuditReport report_;
};

FileAudit::FileAudit(const AuditOptions& options) : impl_(std::make_unique<Impl>(options)) {}

FileAudit::~FileAudit() = default;

void FileAudit::TakeDocument(const CabecalhoLido& cabecalho, const DocumentoLido& d) {
  impl_->Documento(cabecalho, d);
}

DocumentCallback FileAudit::Taker() {
  return [this](const CabecalhoLido& c, const DocumentoLido& d) { TakeDocument(c, d); };
}

AuditReport FileAudit::Finish() {
  return impl_->Conclui();
}

size_t AuditReport::ErrorCount() const {
  return static_cast<size_t>(std::count_if(findings.begin(), findings.end(), [](const auto& f) {
    return f.gravidade == Gravidade::kErro;
  }));
}

size_t AuditReport::WarningCount() const {
  return findings.size() - ErrorCount();
}

void AddPublicKey(AuditOptions& options, const std::string& texto) {
  std::string versao;
  std::string ficheiro = Trim(texto);
  size_t igual = ficheiro.find('=');
  if (igual != std::string::npos && SoAlgarismos(Trim(ficheiro.substr(0, igual)))) {
    versao = Trim(ficheiro.substr(0, igual));
    ficheiro = Trim(ficheiro.substr(igual + 1));
  }
  if (ficheiro.empty())
    throw Error(Error::kSettings, "Chave pública sem ficheiro: «" + texto + "»");
  if (!options.chavesPublicas.emplace(versao, ficheiro).second)
    throw Error(Error::kSettings, versao.empty()
                                      ? "Só pode haver uma chave pública sem versão"
                                      : "A versão " + versao + " tem mais de uma chave pública");
}

void ReadPublicKeysFromSettings(const std::string& iniPath, AuditOptions& options) {
  std::string valor;
  if (!ReadIni(iniPath, "saft", "chave_publica", valor)) return;
  AuditOptions lidas;
  size_t inicio = 0;
  while (inicio <= valor.size()) {
    size_t fim = valor.find(';', inicio);
    if (fim == std::string::npos) fim = valor.size();
    std::string parte = Trim(valor.substr(inicio, fim - inicio));
    inicio = fim + 1;
    if (!parte.empty()) AddPublicKey(lidas, parte);
  }
  // A relative file is beside the settings file.
  std::filesystem::path pasta = Utf8Path(iniPath).parent_path();
  for (auto& [versao, ficheiro] : lidas.chavesPublicas) {
    std::filesystem::path p = Utf8Path(ficheiro);
    if (p.is_relative() && !pasta.empty()) ficheiro = (pasta / p).string();
    AddPublicKey(options, versao.empty() ? ficheiro : versao + "=" + ficheiro);
  }
}

AuditReport AuditSaftFile(const std::string& path, const AuditOptions& options) {
  FileAudit audit(options);
  ReadSaftDocuments(path, false, audit.Taker());
  return audit.Finish();
}

}  // namespace saftpt
