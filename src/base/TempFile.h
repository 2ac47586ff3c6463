// A scratch file in the system's temporary folder (POSIX: TMPDIR, else
// /var/tmp, which is on disk where /tmp may be in memory): read and written by this
// program alone, and gone when it is closed, even when the program is not
// there to remove it (POSIX: unlinked at once; Windows: deleted on close).
// POSIX or Windows, chosen when compiling.
#ifndef SAFTPT_BASE_TEMPFILE_H_
#define SAFTPT_BASE_TEMPFILE_H_

#include <cstddef>
#include <cstdint>

namespace saftpt {

class TempFile {
 public:
  // Throws Error when the temporary folder takes no file.
  TempFile();
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  // Appends all of `data` at the end. Throws Error (a full disk...).
  void Write(const char* data, size_t size);
  // Reads from where the last read ended (the start, after Rewind) up to
  // `size` bytes; the number read, 0 at the end. Throws Error.
  size_t Read(char* data, size_t size);
  // The next Read starts at the beginning; writes still go at the end.
  void Rewind();

 private:
  // Moves the file's position to `offset`.
  void Seek(uint64_t offset);

#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
  uint64_t size_ = 0;        // bytes written
  uint64_t readOffset_ = 0;  // where the next read starts
  bool atEnd_ = true;        // the file's position is at its end
};

}  // namespace saftpt

#endif  // SAFTPT_BASE_TEMPFILE_H_
