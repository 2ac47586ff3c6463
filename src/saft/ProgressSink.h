// The two progress bars the builder drives: a main bar with one step per
// section and a detail bar with one step per row.
#ifndef SAFTPT_SAFT_PROGRESSSINK_H_
#define SAFTPT_SAFT_PROGRESSSINK_H_

#include <string>

namespace saftpt {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void IniciaProgresso(long long n) = 0;
  virtual void IniciaProgressoDetalhe(long long n) = 0;
  // Also resets the detail bar.
  virtual void MostraProgresso(long long n, const std::string& mensagem) = 0;
  virtual void MostraProgressoDetalhe(long long n) = 0;
};

// Progress that nobody watches.
class NoProgress : public ProgressSink {
 public:
  void IniciaProgresso(long long) override {}
  void IniciaProgressoDetalhe(long long) override {}
  void MostraProgresso(long long, const std::string&) override {}
  void MostraProgressoDetalhe(long long) override {}
};

}  // namespace saftpt

#endif  // SAFTPT_SAFT_PROGRESSSINK_H_
