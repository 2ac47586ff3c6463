// What the server's round(sum(x), 2) gives for a column's values, taken on
// the client from the values as they are read: exactly for a column of exact
// numbers (DECIMAL, integers), with the server's double arithmetic for the
// others (DOUBLE), the values added in the order given.
#ifndef SAFTPT_DB_ROUNDEDSUM_H_
#define SAFTPT_DB_ROUNDEDSUM_H_

#include <optional>

#include "db/Database.h"

namespace saftpt {

class RoundedSum {
 public:
  // `exact`: the column holds exact numbers (Recordset::HoldsExactNumbers).
  explicit RoundedSum(bool exact) : exact_(exact) {}

  // Adds a value; Null is left out, as sum() leaves it. A text that is no
  // number throws Error, naming `what`.
  void Add(const Value& value, std::string_view what);
  // The sum rounded to cents; none when no value was added (sum() is Null).
  std::optional<double> Result() const;

 private:
  bool exact_;
  bool any_ = false;
  bool inexact_ = false;  // an exact column's value too long for the exact sum
  __int128 units_ = 0;    // the exact sum, in units of 10^-scale_
  int scale_ = 0;
  double real_ = 0;  // the sum as the server adds doubles
};

}  // namespace saftpt

#endif  // SAFTPT_DB_ROUNDEDSUM_H_
