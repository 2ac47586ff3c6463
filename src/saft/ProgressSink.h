// The two progress bars the builder drives: a main bar with one step per
// section and a detail bar with one step per row.
#ifndef SAFTPT_SAFT_PROGRESSSINK_H_
#define SAFTPT_SAFT_PROGRESSSINK_H_

#include <string>

namespace saftpt {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void StartProgress(long long n) = 0;
  virtual void StartDetailProgress(long long n) = 0;
  // Also resets the detail bar.
  virtual void ShowProgress(long long n, const std::string& mensagem) = 0;
  virtual void ShowDetailProgress(long long n) = 0;
};

}  // namespace saftpt

#endif  // SAFTPT_SAFT_PROGRESSSINK_H_
