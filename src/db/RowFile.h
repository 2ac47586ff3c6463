// The rows of one statement kept in a scratch file (base/TempFile.h): written
// once as they arrive from the server, then read back in order, as often as
// needed. Only a buffer of rows is in memory, however many rows there are;
// a few rows never leave it.
#ifndef SAFTPT_DB_ROWFILE_H_
#define SAFTPT_DB_ROWFILE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/TempFile.h"

namespace saftpt {

class RowFile {
 public:
  explicit RowFile(size_t fieldCount);

  // Appends a row of `fieldCount` fields as the client library gives it: a
  // null pointer is a Null field.
  void Append(char** fields, const unsigned long* lengths);
  // The rows appended so far.
  uint64_t RowCount() const { return rows_; }

  // Reads from the first row again.
  void Rewind();
  // Reads the next row: its fields and their lengths, valid until the next
  // call; false after the last row.
  bool Next(char**& fields, unsigned long*& lengths);

 private:
  void Flush();
  // Makes at least `n` unread bytes available in the read buffer; false when
  // the file ends first.
  bool Fill(size_t n);

  std::unique_ptr<TempFile> file_;  // once the rows outgrow the buffer
  size_t fieldCount_;
  uint64_t rows_ = 0;
  uint64_t rowsRead_ = 0;
  std::string out_;  // written rows not yet in the file
  std::string in_;   // read from the file, from inPos_ on not yet handed out
  size_t inPos_ = 0;
  std::vector<char*> fields_;
  std::vector<unsigned long> lengths_;
};

}  // namespace saftpt

#endif  // SAFTPT_DB_ROWFILE_H_
