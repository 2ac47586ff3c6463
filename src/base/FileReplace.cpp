// Replacing a file in full, on POSIX systems and on Windows.
#include "base/FileReplace.h"

#include <fcntl.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include "base/WidePath.h"
#else
#include <unistd.h>
#endif

#include "base/Error.h"

namespace saftpt {

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
#ifdef _WIN32
    // One call takes at most an unsigned int's worth.
    unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
    int n = ::_write(fd, data, chunk);
#else
    ssize_t n = ::write(fd, data, size);
#endif
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

int CreateTempBeside(const std::string& path, std::string& name, int mode) {
  static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device device;
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = path + ".";
    for (int i = 0; i < 8; ++i) name += kChars[device() % (sizeof kChars - 1)];
    int fd = CreateNewFile(name, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

#ifdef _WIN32

namespace {

// A file another program keeps open (a spreadsheet, an editor) cannot be
// replaced, and Windows often says only "access denied": tell it apart by
// asking for the file alone.
bool HeldOpen(const std::string& path) {
  HANDLE file = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    ::CloseHandle(file);
    return false;
  }
  return ::GetLastError() == ERROR_SHARING_VIOLATION;
}

}  // namespace

int CreateNewFile(const std::string& name, int mode) {
  int permission = (mode & 0200) ? (_S_IREAD | _S_IWRITE) : _S_IREAD;
  return ::_wopen(WidePath(name).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  permission);
}

void StartWritingBack(int) {
  // Windows writes back on its own schedule; _commit at the end waits for it.
}

int FlushAndClose(int fd) {
  int err = ::_commit(fd) == 0 ? 0 : errno;
  if (::_close(fd) != 0 && err == 0) err = errno;
  return err;
}

void CloseFile(int fd) {
  ::_close(fd);
}

bool WriteInPlace(const std::string& path, const std::string& content) {
  int fd = ::_wopen(WidePath(path).c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY,
                    _S_IREAD | _S_IWRITE);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, content.data(), content.size());
  return ::_close(fd) == 0 && ok;
}

int MoveOver(const std::string& temp, const std::string& target) {
  if (::MoveFileExW(WidePath(temp).c_str(), WidePath(target).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return 0;
  switch (::GetLastError()) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return EBUSY;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
      return HeldOpen(target) ? EBUSY : EACCES;
    default:
      return EIO;
  }
}

void SyncFolderOf(const std::string&) {
  // MOVEFILE_WRITE_THROUGH has already made the move durable.
}

void RemoveFile(const std::string& path) {
  ::_wunlink(WidePath(path).c_str());
}

std::string ResolvedPath(const std::string& path) {
  return path;  // the move replaces a link's target on Windows too
}

std::string SystemErrorText(int err) {
  switch (err) {
    case EBUSY:
      return "o ficheiro está aberto noutro programa; feche-o e tente de novo";
    case EACCES:
      return "acesso negado";
    case ENOENT:
      return "a pasta não existe";
    default:
      return std::strerror(err);
  }
}

#else

int CreateNewFile(const std::string& name, int mode) {
  return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
}

void StartWritingBack(int fd) {
#ifdef __linux__
  // Only starts the writing; a failure shows at the flush.
  ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#else
  (void)fd;
#endif
}

int FlushAndClose(int fd) {
  int err = ::fsync(fd) == 0 ? 0 : errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  return err;
}

void CloseFile(int fd) {
  ::close(fd);
}

bool WriteInPlace(const std::string& path, const std::string& content) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, content.data(), content.size());
  return ::close(fd) == 0 && ok;
}

int MoveOver(const std::string& temp, const std::string& target) {
  return ::rename(temp.c_str(), target.c_str()) == 0 ? 0 : errno;
}

void SyncFolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  // The new name must survive a crash as well as the data.
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

void RemoveFile(const std::string& path) {
  ::unlink(path.c_str());
}

std::string ResolvedPath(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

std::string SystemErrorText(int err) {
  return std::strerror(err);
}

#endif

void WriteError(const std::string& path, int err) {
  throw Error(Error::kFile,
              "Não foi possível gravar o ficheiro " + path + ": " + SystemErrorText(err));
}

}  // namespace saftpt
