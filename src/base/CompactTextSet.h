// A set of short texts kept compactly, for what a run keeps of every customer
// (codes, IDs, tax numbers): the texts one after another in one buffer, each
// with an optional value, and an index sorted by text for the look-ups. About
// 12 bytes besides the texts themselves, where a node-based set takes 60 or
// more. The texts are added first; Seal() sorts, then they are looked up.
#ifndef SAFTPT_BASE_COMPACTTEXTSET_H_
#define SAFTPT_BASE_COMPACTTEXTSET_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace saftpt {

class CompactTextSet {
 public:
  // Adds `text` (compared byte for byte) with `value`; its position is the
  // number of texts added before it.
  void Add(std::string_view text, std::string_view value = {});
  // Sorts the index. A text added more than once is found at its first
  // position.
  void Seal();

  // The first position of `text`, or none; only after Seal().
  std::optional<size_t> Find(std::string_view text) const;
  bool Contains(std::string_view text) const { return Find(text).has_value(); }
  // The value added with the text at `position`.
  std::string_view ValueAt(size_t position) const;
  // The memory it holds, in bytes.
  size_t Bytes() const;

 private:
  struct Entry {
    uint32_t offset;  // of the text in buffer_; its value follows it
    uint32_t textSize;
    uint32_t valueSize;
  };
  std::string_view TextAt(uint32_t position) const;

  std::string buffer_;
  std::vector<Entry> entries_;
  std::vector<uint32_t> sorted_;  // positions, by text, then by position
};

}  // namespace saftpt

#endif  // SAFTPT_BASE_COMPACTTEXTSET_H_
