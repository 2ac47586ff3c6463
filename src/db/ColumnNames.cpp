#include "db/ColumnNames.h"

#include <cstdint>

#include "db/Database.h"

namespace saftpt {

void ColumnNames::Add(std::string_view name) {
  lower_.push_back(AsciiLower(name));
}

std::optional<size_t> ColumnNames::Find(std::string_view name) const {
  Found& slot = found_[(reinterpret_cast<uintptr_t>(name.data()) >> 3) % found_.size()];
  // The same text in that column means the same first column.
  if (slot.text == name.data() && slot.size == name.size() && slot.index < lower_.size() &&
      IsLowerOf(lower_[slot.index], name))
    return slot.index;
  for (size_t i = 0; i < lower_.size(); ++i)
    if (IsLowerOf(lower_[i], name)) {
      slot = Found{name.data(), name.size(), i};
      return i;
    }
  return std::nullopt;
}

}  // namespace saftpt
