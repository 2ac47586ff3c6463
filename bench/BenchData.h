// A consistent billing database of a chosen size for the benchmark: an
// office's year of invoices, credit notes, quotations and receipts.
#ifndef SAFTPT_BENCH_BENCHDATA_H_
#define SAFTPT_BENCH_BENCHDATA_H_

#include <cstdint>
#include <functional>
#include <string>

namespace saftpt::bench {

struct BenchSize {
  int documents = 20000;
  int linesPerDocument = 5;  // on average
  int customers = 2000;
  uint32_t seed = 42;
  int year = 2025;
};

struct BenchCounts {
  long long documents = 0;
  long long lines = 0;
};

// Appends the whole database as SQL statements (multi-row INSERTs of at most
// about 1 MB each) to `emit`, one statement per call.
BenchCounts GenerateBenchData(const BenchSize& size,
                              const std::function<void(const std::string&)>& emit);

}  // namespace saftpt::bench

#endif  // SAFTPT_BENCH_BENCHDATA_H_
