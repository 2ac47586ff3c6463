// `saftpt export`: the window's export from the command line, with the
// window's defaults (previous month, 1.04_01, receipts from the settings).
#include <unistd.h>

#include <cctype>
#include <iostream>
#include <optional>

#include "app/ExportCheck.h"
#include "app/ExportRun.h"
#include "app/WindowDefaults.h"
#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/TerminalDialogs.h"
#include "cli/TerminalProgress.h"
#include "config/Connection.h"
#include "config/Error.h"
#include "config/OfficeConfig.h"
#include "config/Settings.h"
#include "saft/Restrictions.h"

namespace saftpt::cli {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFalhou = 1;
constexpr int kExitArgumentos = 2;
constexpr int kExitRejeitado = 3;  // written, but the AT's rules reject it

struct ExportArgs {
  std::string output;
  std::string settings;
  std::string year;
  std::string from;
  std::string to;
  std::string schema = "1.04_01";
  std::string comment;
  std::string xsd;
  std::vector<std::string> publicKeys;
  std::vector<std::string> restrictions;
  bool receipts = false;
  bool noReceipts = false;
  bool force = false;
  bool noInput = false;
  bool validate = false;  // the default; still accepted
  bool noValidate = false;
};

// Nothing to open for a terminal user.
class NoShell : public Shell {
 public:
  void openFolder(const std::string&) override {}
  void openUrl(const std::string&) override {}
};

// A bad argument: its message, then exit status 2.
struct ArgumentoInvalido {
  std::string mensagem;
};

DateTime LeDataOpcao(const std::string& texto, const char* opcao) {
  std::optional<DateTime> d = LeData(texto);
  if (!d) throw ArgumentoInvalido{MensagemDataInvalida(opcao, texto)};
  return *d;
}

ExportOptions Opcoes(const ExportArgs& a, const DateTime& hoje) {
  ExportOptions o;
  o.today = hoje;
  if (!a.year.empty()) {
    int ano = 0;
    if (!ExercicioValido(a.year, ano)) throw ArgumentoInvalido{"Exercicio inválido"};
    o.start = DateTime::Date(ano, 1, 1);
    o.end = DateTime::Date(ano, 12, 31);
  } else {
    PeriodoInicial periodo = PeriodoPorOmissao(hoje);
    o.start = periodo.inicio;
    o.end = periodo.fim;
  }
  if (!a.from.empty()) o.start = LeDataOpcao(a.from, "--from");
  if (!a.to.empty()) o.end = LeDataOpcao(a.to, "--to");
  o.fiscalYear = a.year.empty() ? std::to_string(o.start.year) : a.year;

  if (a.schema == "1.03_01") {
    o.versao = 3;
  } else if (a.schema == "1.04_01") {
    o.versao = 4;
  } else {
    throw ArgumentoInvalido{"Versão do ficheiro inválida: \"" + a.schema +
                            "\" (use 1.03_01 ou 1.04_01)."};
  }
  o.comment = a.comment;
  o.outputPath = a.output;
  for (const std::string& r : a.restrictions) {
    try {
      o.restrictions.push_back(ParseRestricao(r));
    } catch (const Error& e) {
      throw ArgumentoInvalido{"Restrição \"" + r + "\" inválida: " + e.description()};
    }
  }
  return o;
}

// The written file checked as `saftpt validate` does: the exit status.
int Verifica(const ExportArgs& a, int versao, const AuditOptions& auditoria) {
  VerificacaoDoFicheiro v = VerificaFicheiroExportado(a.output, versao, a.xsd, auditoria);
  if (v.cumpre() || !v.verificado) {
    std::cout << v.Texto() << std::endl;
    return kExitOk;
  }
  std::cerr << v.Texto() << std::endl;
  return kExitRejeitado;
}

int Exporta(const ExportArgs& a) {
  ExportOptions opcoes;
  try {
    opcoes = Opcoes(a, DateTime::Today());
  } catch (const ArgumentoInvalido& e) {
    std::cerr << e.mensagem << std::endl;
    return kExitArgumentos;
  }
  AuditOptions auditoria;
  for (const std::string& chave : a.publicKeys) {
    std::string erro;
    if (!AddChavePublica(auditoria, chave, erro)) {
      std::cerr << erro << std::endl;
      return kExitArgumentos;
    }
  }

  try {
    std::string ini = FicheiroDeConfiguracao(a.settings);
    // Without --public-key, the keys the settings file names check the signatures.
    std::string erroChaves;
    if (a.publicKeys.empty() && !LeChavesPublicasIni(ini, auditoria, erroChaves)) {
      std::cerr << erroChaves << std::endl;
      return kExitFalhou;
    }
    if (a.receipts) {
      opcoes.receipts = true;
    } else if (!a.noReceipts) {
      std::string recibos;
      opcoes.receipts = LeIni(ini, "bd", "saftrecibos", recibos) && recibos == "1";
    }

    Database db;
    std::string erroLigacao;
    if (!AbreLigacaoIni(db, ini, erroLigacao)) {
      std::cerr << erroLigacao << std::endl;
      return kExitFalhou;
    }
    ConfiguracaoEscritorio escritorio;
    CarregaConfiguracao(db, escritorio);

    TerminalProgress progresso;
    Terminal terminal{std::cin, std::cout, std::cerr,
                      !a.noInput && isatty(0) == 1 && isatty(2) == 1, &progresso};
    TerminalDialogs dialogos(terminal, a.force,
                             "Já existe um ficheiro com esse nome: não foi substituído "
                             "(use --force para o substituir).");
    TerminalExemptionResolver resolver(terminal);
    NoShell shell;

    ExportRequest pedido;
    pedido.options = opcoes;
    pedido.decimalSeparator = SeparadorDecimal();
    ExportRun run(db, escritorio, dialogos, shell, progresso, resolver);
    ExportResult resultado = run.Executa(pedido);
    progresso.Limpa();
    if (!resultado.written) return kExitFalhou;
    if (a.noValidate) return kExitOk;
    return Verifica(a, opcoes.versao, auditoria);
  } catch (const Error& e) {
    std::cerr << e.description() << std::endl;
  } catch (const std::exception& e) {
    std::cerr << e.what() << std::endl;
  }
  return kExitFalhou;
}

}  // namespace

CLI::App* AddExportCommand(CLI::App& app, int& status) {
  auto args = std::make_shared<ExportArgs>();
  auto* cmd = app.add_subcommand("export", "Exporta o ficheiro SAF-T (PT) de um período");
  cmd->add_option("-o,--output", args->output, "Ficheiro XML a gravar")->required();
  cmd->add_option("--settings", args->settings, kAjudaSettings);
  cmd->add_option("--year", args->year,
                  "Exercício (FiscalYear); sozinho exporta de 1 de janeiro a 31 de dezembro");
  cmd->add_option("--from", args->from,
                  "Data inicial AAAA-MM-DD (por omissão o primeiro dia do mês anterior)");
  cmd->add_option("--to", args->to,
                  "Data final AAAA-MM-DD (por omissão o último dia do mês anterior)");
  cmd->add_option("--schema", args->schema, "Versão do ficheiro: 1.03_01 ou 1.04_01")
      ->default_str("1.04_01");
  auto* recibos = cmd->add_flag("--receipts", args->receipts, "Envia os recibos");
  auto* semRecibos = cmd->add_flag("--no-receipts", args->noReceipts, "Não envia os recibos");
  recibos->excludes(semRecibos);
  cmd->add_option("--comment", args->comment, "Comentário (HeaderComment)");
  cmd->add_option("--restrict", args->restrictions,
                  "Restrição de documentos TIPO:SÉRIE:INICIAL-FINAL (repetível)")
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->type_name("TIPO:SÉRIE:N-M");
  cmd->add_flag("--force", args->force, "Substitui um ficheiro existente sem perguntar");
  cmd->add_flag("--no-input", args->noInput, "Nunca pergunta nada no terminal");
  auto* valida = cmd->add_flag("--validate", args->validate,
                               "Verifica o ficheiro gravado com as regras da AT (por omissão)");
  auto* naoValida =
      cmd->add_flag("--no-validate", args->noValidate, "Não verifica o ficheiro gravado");
  valida->excludes(naoValida);
  cmd->add_option("--xsd", args->xsd,
                  "Esquema da verificação (por omissão SAFTPT1.04_01.xsd junto ao programa ou em "
                  "/usr/share/saftpt)");
  cmd->add_option("--public-key", args->publicKeys,
                  "Chave pública (PEM) que verifica as assinaturas; VERSÃO=FICHEIRO para a "
                  "versão de HashControl (repetível)")
      ->type_name("[VERSÃO=]FICHEIRO");
  cmd->footer(
      "Estado de saída: 0 gravado (e conforme às regras da AT, salvo com --no-validate), "
      "1 nada gravado, 2 argumentos inválidos, 3 gravado mas rejeitado pelas regras da AT "
      "(os problemas no erro padrão).");
  cmd->callback([args, &status] { status = Exporta(*args); });
  return cmd;
}

}  // namespace saftpt::cli
