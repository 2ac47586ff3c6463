// Each row is its size in bytes (4 bytes), then its fields in order, each a
// 4-byte length (all ones for Null) and its bytes.
#include "db/RowFile.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "base/Error.h"

namespace saftpt {

namespace {

constexpr size_t kBufferSize = 1 << 18;
constexpr uint32_t kNull = std::numeric_limits<uint32_t>::max();

}  // namespace

RowFile::RowFile(size_t fieldCount)
    : fieldCount_(fieldCount), fields_(fieldCount), lengths_(fieldCount) {
  out_.reserve(kBufferSize);
}

void RowFile::Append(char** fields, const unsigned long* lengths) {
  uint64_t size = 0;
  for (size_t i = 0; i < fieldCount_; ++i) size += sizeof(uint32_t) + (fields[i] ? lengths[i] : 0);
  if (size >= kNull) throw Error(Error::kData, "Um registo da base de dados é demasiado longo.");
  const auto rowSize = static_cast<uint32_t>(size);
  out_.append(reinterpret_cast<const char*>(&rowSize), sizeof rowSize);
  for (size_t i = 0; i < fieldCount_; ++i) {
    uint32_t n = fields[i] ? static_cast<uint32_t>(lengths[i]) : kNull;
    out_.append(reinterpret_cast<const char*>(&n), sizeof n);
    if (fields[i]) out_.append(fields[i], lengths[i]);
  }
  ++rows_;
  if (out_.size() >= kBufferSize) Flush();
}

void RowFile::Flush() {
  if (out_.empty()) return;
  if (!file_) file_ = std::make_unique<TempFile>();
  file_->Write(out_.data(), out_.size());
  out_.clear();
}

void RowFile::Rewind() {
  if (file_) {
    Flush();
    std::string().swap(out_);  // every row is in the file now
    file_->Rewind();
    in_.clear();
  } else {
    in_ = out_;  // a few rows: no file
  }
  inPos_ = 0;
  rowsRead_ = 0;
}

bool RowFile::Fill(size_t n) {
  if (in_.size() - inPos_ >= n) return true;
  if (!file_) return false;
  in_.erase(0, inPos_);
  inPos_ = 0;
  while (in_.size() < n) {
    const size_t had = in_.size();
    in_.resize(had + std::max(kBufferSize, n - had));
    const size_t got = file_->Read(in_.data() + had, in_.size() - had);
    in_.resize(had + got);
    if (got == 0) return false;
  }
  return true;
}

bool RowFile::Next(char**& fields, unsigned long*& lengths) {
  if (rowsRead_ == rows_) return false;
  uint32_t size = 0;
  if (!Fill(sizeof size))
    throw Error(Error::kFile, "Um ficheiro temporário terminou antes do tempo.");
  std::memcpy(&size, in_.data() + inPos_, sizeof size);
  if (!Fill(sizeof size + size))
    throw Error(Error::kFile, "Um ficheiro temporário terminou antes do tempo.");
  // The fields point into the buffer, which changes only at the next call.
  char* p = in_.data() + inPos_ + sizeof size;
  for (size_t i = 0; i < fieldCount_; ++i) {
    uint32_t n;
    std::memcpy(&n, p, sizeof n);
    p += sizeof n;
    fields_[i] = n == kNull ? nullptr : p;
    lengths_[i] = n == kNull ? 0 : n;
    if (n != kNull) p += n;
  }
  inPos_ += sizeof size + size;
  ++rowsRead_;
  fields = fields_.data();
  lengths = lengths_.data();
  return true;
}

}  // namespace saftpt
