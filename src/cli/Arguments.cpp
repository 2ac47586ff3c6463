#include "cli/Arguments.h"

#include <clocale>

namespace saftpt::cli {

std::optional<DateTime> LeData(const std::string& texto) {
  if (texto.size() != 10) return std::nullopt;
  return DateTime::Parse(texto);
}

std::string MensagemDataInvalida(const std::string& opcao, const std::string& texto) {
  return "Data inválida em " + opcao + ": \"" + texto + "\" (use o formato AAAA-MM-DD).";
}

char SeparadorDecimal() {
  char separador = '.';
  if (std::setlocale(LC_NUMERIC, "")) {
    const char* ponto = std::localeconv()->decimal_point;
    if (ponto && ponto[0] != '\0' && ponto[1] == '\0') separador = ponto[0];
  }
  std::setlocale(LC_NUMERIC, "C");
  return separador;
}

}  // namespace saftpt::cli
