#include "BenchTable.h"

#include <algorithm>
#include <cstdio>

namespace saftpt::bench {

namespace {

template <typename T>
T MiddleOf(std::vector<T> values) {
  auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

template <typename T>
T MedianOf(const std::vector<RunFigures>& runs, T RunFigures::*figure) {
  std::vector<T> values;
  for (const RunFigures& run : runs) values.push_back(run.*figure);
  return MiddleOf(values);
}

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// Sets are small next to the file: kilobytes until they reach a megabyte.
std::string Bytes(long long bytes) {
  return bytes < (1 << 20) ? Format("%.1f KB", bytes / 1024.0)
                           : Format("%.1f MB", bytes / (1024.0 * 1024.0));
}

}  // namespace

RunFigures Median(const std::vector<RunFigures>& runs) {
  RunFigures m;
  if (runs.empty()) return m;
  m.exportSeconds = MedianOf(runs, &RunFigures::exportSeconds);
  m.floorSeconds = MedianOf(runs, &RunFigures::floorSeconds);
  m.ratio = MedianOf(runs, &RunFigures::ratio);
  m.statements = MedianOf(runs, &RunFigures::statements);
  m.exportPeakMb = MedianOf(runs, &RunFigures::exportPeakMb);
  m.checkSeconds = MedianOf(runs, &RunFigures::checkSeconds);
  m.checkPeakMb = MedianOf(runs, &RunFigures::checkPeakMb);
  std::vector<long long> sets;
  for (const RunFigures& run : runs)
    if (run.setsBytes) sets.push_back(*run.setsBytes);
  if (!sets.empty()) m.setsBytes = MiddleOf(sets);
  return m;
}

std::string MarkdownTable(const std::vector<SizeRow>& rows) {
  bool sets = std::any_of(rows.begin(), rows.end(),
                          [](const SizeRow& r) { return r.median.setsBytes.has_value(); });
  std::string table =
      "| documents | export (s) | floor (s) | export/floor | statements | export peak (MB) "
      "| check (s) | check peak (MB) |" +
      std::string(sets ? " sets |" : "") + "\n|---:|---:|---:|---:|---:|---:|---:|---:|" +
      (sets ? "---:|" : "") + "\n";
  for (const SizeRow& r : rows) {
    const RunFigures& m = r.median;
    table += "| " + std::to_string(r.documents) + " | " + Format("%.2f", m.exportSeconds) + " | " +
             Format("%.2f", m.floorSeconds) + " | " + Format("%.2f", m.ratio) + " | " +
             std::to_string(m.statements) + " | " + Format("%.1f", m.exportPeakMb) + " | " +
             Format("%.2f", m.checkSeconds) + " | " + Format("%.1f", m.checkPeakMb) + " |";
    if (sets) {
      const std::string value = m.setsBytes ? Bytes(*m.setsBytes) : "–";
      table += " " + value + " |";
    }
    table += "\n";
  }
  return table;
}

}  // namespace saftpt::bench
