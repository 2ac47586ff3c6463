#include "audit/NumberingRules.h"

namespace saftpt {

namespace {

void Falta(const std::string& prefixo, long long de, long long ate,
           std::vector<AuditFinding>& out) {
  std::string primeiro = prefixo + std::to_string(de);
  std::string message =
      de == ate ? "Falta o documento " + primeiro
                : "Faltam os documentos " + primeiro + " a " + prefixo + std::to_string(ate);
  out.push_back({Gravidade::kAviso, primeiro, message});
}

}  // namespace

void CheckSequence(const std::string& prefixo, const std::vector<DocumentoDaSerie>& docs,
                   long long anterior, std::vector<AuditFinding>& out) {
  if (docs.empty()) return;
  long long esperado = anterior >= 0 ? anterior + 1 : docs.front().numero;
  const DocumentoDaSerie* antes = nullptr;  // the last document of the number before
  for (size_t i = 0; i < docs.size(); ++i) {
    const DocumentoDaSerie& d = docs[i];
    std::string nome = prefixo + std::to_string(d.numero);
    if (antes && d.numero == antes->numero) {
      // Reported once, at its second use.
      if (i < 2 || docs[i - 2].numero != d.numero)
        out.push_back({Gravidade::kErro, nome, "O número " + nome + " está repetido"});
      continue;
    }
    if (d.numero > esperado) Falta(prefixo, esperado, d.numero - 1, out);
    if (d.numero >= esperado) esperado = d.numero + 1;
    if (antes) {
      std::string nomeAntes = prefixo + std::to_string(antes->numero);
      if (d.data < antes->data)
        out.push_back({Gravidade::kErro, nome, nome + " tem data anterior a " + nomeAntes});
      else if (d.entrada < antes->entrada)
        out.push_back(
            {Gravidade::kErro, nome, nome + " tem data de gravação anterior a " + nomeAntes});
    }
    antes = &d;
  }
}

std::optional<std::string> FindAtcudProblem(const std::string& atcud, const std::string& documento,
                                            bool zeroAceite) {
  if (atcud == "0") {
    if (zeroAceite) return std::nullopt;
    return std::string("«0» só é aceite em ficheiros criados antes de ") + kAtcudRequiredFrom;
  }
  size_t hifen = atcud.rfind('-');
  if (hifen == std::string::npos) return "«" + atcud + "» não tem a forma CÓDIGO-NÚMERO";
  std::string codigo = atcud.substr(0, hifen);
  bool codigoValido = codigo.size() >= 8;
  for (char c : codigo)
    codigoValido = codigoValido && ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'));
  if (!codigoValido)
    return "«" + atcud +
           "»: o código de validação da série tem de ter pelo menos 8 letras maiúsculas ou "
           "algarismos";
  size_t barra = documento.rfind('/');
  std::string numero = barra == std::string::npos ? documento : documento.substr(barra + 1);
  if (atcud.substr(hifen + 1) != numero)
    return "«" + atcud + "»: o número depois do hífen tem de ser " + numero;
  return std::nullopt;
}

std::string InvalidAtcudMessage(const std::string& documento, const std::string& motivo) {
  return "ATCUD inválido em " + documento + ": " + motivo;
}

std::string MissingAtcudMessage(const std::string& documento) {
  return documento + " sem ATCUD";
}

}  // namespace saftpt
