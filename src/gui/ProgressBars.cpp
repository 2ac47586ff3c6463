#include "gui/ProgressBars.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

namespace saftpt::gui {

namespace {
constexpr qint64 kIntervaloRepintura = 50;  // ms
}

ProgressBars::ProgressBars(QProgressBar* principal, QProgressBar* detalhe, QLabel* mensagem)
    : principal_(principal), detalhe_(detalhe), mensagem_(mensagem) {
  for (QProgressBar* bar : {principal_, detalhe_}) {
    bar->setRange(0, kEscala);
    bar->setValue(0);
    bar->setTextVisible(false);
  }
  desdeRepintura_.start();
}

int ProgressBars::Largura(long long posicao, long long total) {
  if (total <= 0 || posicao <= 0) return 0;
  if (posicao >= total) return kEscala;
  return static_cast<int>(posicao * kEscala / total);
}

void ProgressBars::StartProgress(long long n) {
  totalPrincipal_ = n;
}

void ProgressBars::StartDetailProgress(long long n) {
  totalDetalhe_ = n;
}

void ProgressBars::ShowProgress(long long n, const std::string& mensagem) {
  principal_->setValue(Largura(n, totalPrincipal_));
  mensagem_->setText(QString::fromStdString(mensagem));
  Repinta(true);
  StartDetailProgress(0);
  ShowDetailProgress(0);
}

void ProgressBars::ShowDetailProgress(long long n) {
  detalhe_->setValue(Largura(n, totalDetalhe_));
  Repinta(false);
}

void ProgressBars::Repinta(bool sempre) {
  if (!sempre && desdeRepintura_.elapsed() < kIntervaloRepintura) return;
  QCoreApplication::processEvents();
  desdeRepintura_.restart();
}

}  // namespace saftpt::gui
