// The columns of a result by name, without regard to case.
#ifndef SAFTPT_DB_COLUMNNAMES_H_
#define SAFTPT_DB_COLUMNNAMES_H_

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace saftpt {

class ColumnNames {
 public:
  void Add(std::string_view name);
  size_t Count() const { return lower_.size(); }
  // The name in lower case.
  const std::string& Lower(size_t index) const { return lower_[index]; }
  // The first column of that name; nothing when there is none.
  std::optional<size_t> Find(std::string_view name) const;

 private:
  // The program asks for the same few names, written in its code, row after
  // row: where each was found is remembered by the address of its text, and
  // checked against the name before it is used.
  struct Found {
    const char* text = nullptr;
    size_t size = 0;
    size_t index = 0;
  };
  std::vector<std::string> lower_;
  mutable std::array<Found, 16> found_{};
};

}  // namespace saftpt

#endif  // SAFTPT_DB_COLUMNNAMES_H_
