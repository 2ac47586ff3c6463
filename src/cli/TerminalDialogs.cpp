// Terminal dialogs. Questions go to standard error so that standard output
// only carries results; the end of the input counts as "Cancelar".
#include "cli/TerminalDialogs.h"

#include <iostream>
#include <optional>

#include "base/Error.h"
#include "base/Utf8.h"
#include "cli/TerminalProgress.h"

namespace saftpt::cli {

namespace {

void ClearProgress(Terminal& t) {
  if (t.progress) t.progress->Clear();
}

// One answer line, trimmed; nothing at the end of the input.
std::optional<std::string> ReadAnswer(Terminal& t, const std::string& prompt) {
  t.err << prompt << std::flush;
  std::string linha;
  if (!std::getline(t.in, linha)) {
    t.err << "\n";
    return std::nullopt;
  }
  if (!linha.empty() && linha.back() == '\r') linha.pop_back();
  return Trim(linha);
}

// A whole number from `minimo` to `maximo`, or nothing.
std::optional<int> Numero(const std::string& texto, int minimo, int maximo) {
  if (texto.empty() || texto.size() > 4) return std::nullopt;
  int n = 0;
  for (char c : texto) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  if (n < minimo || n > maximo) return std::nullopt;
  return n;
}

std::string SemCR(const std::string& texto) {
  return ReplaceAll(texto, "\r\n", "\n");
}

}  // namespace

bool AskYesNo(Terminal& t, const std::string& question) {
  for (;;) {
    auto resposta = ReadAnswer(t, question + " [s/N] ");
    if (!resposta) return false;
    std::string r = Utf8Upper(*resposta);
    if (r == "S" || r == "SIM") return true;
    if (r.empty() || r == "N" || r == "NÃO" || r == "NAO") return false;
    t.err << "Responda s (sim) ou n (não).\n";
  }
}

void TerminalDialogs::Inform(const std::string& text, const std::string&) {
  ClearProgress(t_);
  t_.out << SemCR(text) << std::endl;
}

void TerminalDialogs::Warn(const std::string& text) {
  ClearProgress(t_);
  t_.err << SemCR(text) << std::endl;
}

void TerminalDialogs::ShowError(const std::string& text) {
  ClearProgress(t_);
  t_.err << SemCR(text) << std::endl;
}

bool TerminalDialogs::Confirm(const std::string& question) {
  if (assumeYes_) return true;
  ClearProgress(t_);
  if (!t_.interactive) {
    t_.err << semResposta_ << std::endl;
    return false;
  }
  return AskYesNo(t_, question);
}

void TerminalDialogs::ShowSummary(const std::string& summary) {
  ClearProgress(t_);
  t_.out << SemCR(summary) << std::endl;
}

bool TerminalExemptionResolver::Resolve(const ExemptionCase& c, ExemptionFixer& fixer) {
  ClearProgress(t_);
  if (!t_.interactive) {
    t_.err << "Motivo de isenção inválido no documento " << c.tipodoc << " " << c.serie << "/"
           << c.numero << ": «" << c.currentReason << "»" << std::endl;
    return false;
  }
  const auto& motivos = c.offered;
  // The update of every document matches by the reason's text: a blank one
  // would touch every line without a reason.
  const bool todos = !Trim(c.currentReason).empty();
  for (;;) {
    t_.err << "\nFoi detetado um valor inválido para um motivo de isenção.\n"
              "Especifique pf o valor da tabela da AT que mais se adequa:\n"
           << "Documento: " << c.tipodoc << " " << c.numero << "/" << c.serie << "\n"
           << "Motivo actual: " << c.currentReason << "\n"
           << "Motivos Tabela AT:\n";
    for (size_t i = 0; i < motivos.size(); ++i) {
      t_.err << (i + 1 < 10 ? "   " : "  ") << (i + 1) << ". " << motivos[i] << "\n";
    }
    t_.err << "O que pretende fazer?\n  1 - Atualizar documento\n";
    if (todos)
      t_.err << "  2 - Atualizar todas as ocorrências em todos os documentos desde 1/1/2017\n";
    t_.err << "  0 - Cancelar\n";

    std::optional<int> opcao;
    while (!opcao) {
      auto r = ReadAnswer(t_, todos ? "Opção [1/2/0]: " : "Opção [1/0]: ");
      if (!r) return false;
      opcao = Numero(*r, 0, todos ? 2 : 1);
      if (!opcao) t_.err << "Opção inválida.\n";
    }
    if (*opcao == 0) return false;

    std::optional<int> escolhido;
    while (!escolhido) {
      auto r = ReadAnswer(t_, "Motivo (1-" + std::to_string(motivos.size()) + "): ");
      if (!r) return false;
      escolhido = Numero(*r, 1, static_cast<int>(motivos.size()));
      if (!escolhido) t_.err << "Tem de indicar um motivo de isenção válido.\n";
    }
    const std::string& entrada = motivos[static_cast<size_t>(*escolhido - 1)];
    t_.err << "Motivo escolhido: " << entrada << "\n";
    if (!AskYesNo(t_, "Confirma a atualização?")) {
      if (!t_.in) return false;
      continue;
    }
    try {
      if (*opcao == 1) {
        fixer.UpdateDocument(SeparaMotivo(entrada));
      } else {
        fixer.UpdateAll(SeparaMotivo(entrada));
      }
      return true;
    } catch (const std::exception& e) {
      // Not hidden: the update wrote nothing (one statement); the user reads
      // why and chooses again or cancels, which ends the export.
      t_.err << "Não foi possível atualizar: " << e.what() << "\n";
    }
  }
}

}  // namespace saftpt::cli
