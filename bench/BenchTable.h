// The figures of the benchmark's runs, their medians, and the table of the
// medians: one Markdown row per size, as the README shows it.
#ifndef SAFTPT_BENCH_BENCHTABLE_H_
#define SAFTPT_BENCH_BENCHTABLE_H_

#include <optional>
#include <string>
#include <vector>

namespace saftpt::bench {

// What one run of one size measured.
struct RunFigures {
  double exportSeconds = 0;
  double floorSeconds = 0;
  double ratio = 0;  // exportSeconds / floorSeconds
  long long statements = 0;
  double exportPeakMb = 0;
  double checkSeconds = 0;
  double checkPeakMb = 0;
  std::optional<long long> setsBytes;  // only when the export reports it
};

struct SizeRow {
  int documents = 0;
  RunFigures median;
};

// Each figure's median over the runs, taken figure by figure (the middle
// value of an odd number of runs).
RunFigures Median(const std::vector<RunFigures>& runs);

// The Markdown table of the rows; the "sets" column only when an export
// reported it.
std::string MarkdownTable(const std::vector<SizeRow>& rows);

}  // namespace saftpt::bench

#endif  // SAFTPT_BENCH_BENCHTABLE_H_
