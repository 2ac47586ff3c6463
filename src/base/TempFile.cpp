// Scratch files on POSIX systems and on Windows.
#include "base/TempFile.h"

#include <cerrno>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include "base/WidePath.h"
#else
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#endif

#include "base/Error.h"
#include "base/FileReplace.h"

namespace saftpt {

namespace {

[[noreturn]] void TempFileError(int err) {
  throw Error(Error::kFile,
              "Não foi possível usar um ficheiro temporário: " + SystemErrorText(err));
}

}  // namespace

#ifdef _WIN32

TempFile::TempFile() {
  wchar_t folder[MAX_PATH + 1];
  wchar_t name[MAX_PATH + 1];
  if (::GetTempPathW(MAX_PATH + 1, folder) == 0 || ::GetTempFileNameW(folder, L"sft", 0, name) == 0)
    TempFileError(EACCES);
  HANDLE h = ::CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    ::DeleteFileW(name);
    TempFileError(EACCES);
  }
  handle_ = h;
}

TempFile::~TempFile() {
  if (handle_) ::CloseHandle(static_cast<HANDLE>(handle_));
}

void TempFile::Seek(uint64_t offset) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(offset);
  if (!::SetFilePointerEx(static_cast<HANDLE>(handle_), to, nullptr, FILE_BEGIN))
    TempFileError(EIO);
}

void TempFile::Write(const char* data, size_t size) {
  if (!atEnd_) Seek(size_);
  atEnd_ = true;
  while (size > 0) {
    DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(static_cast<HANDLE>(handle_), data, chunk, &written, nullptr))
      TempFileError(::GetLastError() == ERROR_DISK_FULL ? ENOSPC : EIO);
    data += written;
    size -= written;
    size_ += written;
  }
}

size_t TempFile::Read(char* data, size_t size) {
  if (atEnd_) Seek(readOffset_);
  atEnd_ = false;
  DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
  DWORD read = 0;
  if (!::ReadFile(static_cast<HANDLE>(handle_), data, chunk, &read, nullptr)) TempFileError(EIO);
  readOffset_ += read;
  return read;
}

#else

namespace {

// TMPDIR when it is set; else /var/tmp, which is on disk where /tmp may be
// held in memory.
std::string TempFolder() {
  const char* chosen = std::getenv("TMPDIR");
  if (chosen && *chosen) return chosen;
  return ::access("/var/tmp", W_OK | X_OK) == 0 ? "/var/tmp" : "/tmp";
}

}  // namespace

TempFile::TempFile() {
  std::string name = TempFolder() + "/saftpt-XXXXXX";
  fd_ = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd_ < 0) TempFileError(errno);
  ::unlink(name.c_str());
}

TempFile::~TempFile() {
  if (fd_ >= 0) ::close(fd_);
}

void TempFile::Seek(uint64_t offset) {
  if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) TempFileError(errno);
}

void TempFile::Write(const char* data, size_t size) {
  if (!atEnd_) Seek(size_);
  atEnd_ = true;
  if (!WriteAll(fd_, data, size)) TempFileError(errno);
  size_ += size;
}

size_t TempFile::Read(char* data, size_t size) {
  if (atEnd_) Seek(readOffset_);
  atEnd_ = false;
  for (;;) {
    ssize_t n = ::read(fd_, data, size);
    if (n >= 0) {
      readOffset_ += static_cast<uint64_t>(n);
      return static_cast<size_t>(n);
    }
    if (errno != EINTR) TempFileError(errno);
  }
}

#endif

void TempFile::Rewind() {
  readOffset_ = 0;
  if (!atEnd_) Seek(0);
}

}  // namespace saftpt
