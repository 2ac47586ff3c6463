// Progress on a terminal: redrawn in place with a carriage return, at most
// ten times a second for the rows, at once for a new section.
#include "cli/TerminalProgress.h"

#include "base/FileReplace.h"
#include "base/Utf8.h"
#include "cli/Console.h"

namespace saftpt::cli {

namespace {

constexpr int kLarguraBarra = 20;
constexpr auto kIntervalo = std::chrono::milliseconds(100);

std::string Barra(long long posicao, long long total) {
  int cheios = 0;
  if (total > 0 && posicao > 0) {
    cheios = posicao >= total ? kLarguraBarra : static_cast<int>(posicao * kLarguraBarra / total);
  }
  return "[" + std::string(cheios, '#') + std::string(kLarguraBarra - cheios, '.') + "]";
}

void WriteText(int fd, const std::string& texto) {
  WriteAll(fd, texto.data(), texto.size());
}

}  // namespace

std::string ProgressLine(long long posicao, long long total, const std::string& mensagem,
                         long long detalhe, long long totalDetalhe, size_t width) {
  std::string linha = Barra(posicao, total) + " " + std::to_string(posicao) + "/" +
                      std::to_string(total) + " " + mensagem;
  if (totalDetalhe > 0) {
    linha += " " + Barra(detalhe, totalDetalhe) + " " + std::to_string(detalhe) + "/" +
             std::to_string(totalDetalhe);
  }
  return Utf8Left(linha, width);
}

TerminalProgress::TerminalProgress(int fd) : fd_(fd), ativo_(IsTerminal(fd)) {}

TerminalProgress::~TerminalProgress() {
  Clear();
}

void TerminalProgress::StartProgress(long long n) {
  total_ = n;
  posicao_ = 0;
}

void TerminalProgress::StartDetailProgress(long long n) {
  totalDetalhe_ = n;
  detalhe_ = 0;
}

void TerminalProgress::ShowProgress(long long n, const std::string& mensagem) {
  posicao_ = n;
  mensagem_ = mensagem;
  totalDetalhe_ = 0;
  detalhe_ = 0;
  Draw(true);
}

void TerminalProgress::ShowDetailProgress(long long n) {
  detalhe_ = n;
  Draw(false);
}

void TerminalProgress::Clear() {
  if (!ativo_ || !visivel_) return;
  WriteText(fd_, "\r\x1b[K");
  visivel_ = false;
}

void TerminalProgress::Draw(bool sempre) {
  if (!ativo_) return;
  auto agora = std::chrono::steady_clock::now();
  if (!sempre && visivel_ && agora - ultimo_ < kIntervalo) return;
  ultimo_ = agora;
  size_t largura = TerminalWidth(fd_);
  // One column short of the width, so the cursor never wraps to a new line.
  std::string linha = ProgressLine(posicao_, total_, mensagem_, detalhe_, totalDetalhe_,
                                   largura > 1 ? largura - 1 : largura);
  WriteText(fd_, "\r" + linha + "\x1b[K");
  visivel_ = true;
}

}  // namespace saftpt::cli
