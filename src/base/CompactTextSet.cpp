#include "base/CompactTextSet.h"

#include <algorithm>
#include <limits>
#include <numeric>

#include "base/Error.h"

namespace saftpt {

void CompactTextSet::Add(std::string_view text, std::string_view value) {
  constexpr size_t kLimit = std::numeric_limits<uint32_t>::max();
  if (buffer_.size() + text.size() + value.size() >= kLimit || entries_.size() >= kLimit)
    throw Error(Error::kData, "Demasiados registos para exportar num só ficheiro.");
  entries_.push_back({static_cast<uint32_t>(buffer_.size()), static_cast<uint32_t>(text.size()),
                      static_cast<uint32_t>(value.size())});
  buffer_.append(text);
  buffer_.append(value);
}

std::string_view CompactTextSet::TextAt(uint32_t position) const {
  const Entry& e = entries_[position];
  return std::string_view(buffer_).substr(e.offset, e.textSize);
}

std::string_view CompactTextSet::ValueAt(size_t position) const {
  const Entry& e = entries_[position];
  return std::string_view(buffer_).substr(e.offset + e.textSize, e.valueSize);
}

void CompactTextSet::Seal() {
  buffer_.shrink_to_fit();
  entries_.shrink_to_fit();
  sorted_.resize(entries_.size());
  std::iota(sorted_.begin(), sorted_.end(), 0u);
  std::sort(sorted_.begin(), sorted_.end(), [this](uint32_t a, uint32_t b) {
    const std::string_view x = TextAt(a), y = TextAt(b);
    return x < y || (x == y && a < b);
  });
}

std::optional<size_t> CompactTextSet::Find(std::string_view text) const {
  auto it = std::lower_bound(sorted_.begin(), sorted_.end(), text,
                             [this](uint32_t p, std::string_view t) { return TextAt(p) < t; });
  if (it == sorted_.end() || TextAt(*it) != text) return std::nullopt;
  return *it;
}

size_t CompactTextSet::Bytes() const {
  return buffer_.capacity() + entries_.capacity() * sizeof(Entry) +
         sorted_.capacity() * sizeof(uint32_t);
}

}  // namespace saftpt
