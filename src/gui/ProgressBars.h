// The window's two progress bars and its message line, driven by the builder.
//
// The export runs on the window's thread; these routines let the window
// repaint (pending events processed after every section and at most every
// 50 ms between rows) while its controls are disabled, so nothing re-enters.
#ifndef SAFTPT_GUI_PROGRESSBARS_H_
#define SAFTPT_GUI_PROGRESSBARS_H_

#include <QElapsedTimer>

#include "saft/ProgressSink.h"

class QLabel;
class QProgressBar;

namespace saftpt::gui {

class ProgressBars : public ProgressSink {
 public:
  // Steps of the bars' scale: a position is shown as its share of the total.
  static constexpr int kEscala = 1000;

  ProgressBars(QProgressBar* principal, QProgressBar* detalhe, QLabel* mensagem);

  void StartProgress(long long n) override;
  void StartDetailProgress(long long n) override;
  void ShowProgress(long long n, const std::string& mensagem) override;
  void ShowDetailProgress(long long n) override;

  // The share of the bar a position fills (0 with no total; clipped at full,
  // as the builder may step past its announced total).
  static int Largura(long long posicao, long long total);

 private:
  void Repinta(bool sempre);

  QProgressBar* principal_;
  QProgressBar* detalhe_;
  QLabel* mensagem_;
  long long totalPrincipal_ = 0;
  long long totalDetalhe_ = 0;
  QElapsedTimer desdeRepintura_;
};

}  // namespace saftpt::gui

#endif  // SAFTPT_GUI_PROGRESSBARS_H_
