// Owner-only files and the program's folder, on POSIX systems and on Windows.
#include "base/PrivateFiles.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <aclapi.h>

#include <memory>
#include <vector>

#include "base/WidePath.h"
#else
#include <unistd.h>
#endif

namespace saftpt {

#ifdef _WIN32

namespace {

// An access list that lets only the running user in, inherited by what is
// created inside a folder; null when it cannot be built.
struct OwnerOnly {
  std::vector<unsigned char> user;  // TOKEN_USER
  PACL acl = nullptr;
  ~OwnerOnly() {
    if (acl) ::LocalFree(acl);
  }
  bool Build(bool folder) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    user.resize(size);
    bool ok = size > 0 && ::GetTokenInformation(token, TokenUser, user.data(), size, &size);
    ::CloseHandle(token);
    if (!ok) return false;
    EXPLICIT_ACCESSW access{};
    access.grfAccessPermissions = GENERIC_ALL;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = folder ? SUB_CONTAINERS_AND_OBJECTS_INHERIT : NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_USER;
    access.Trustee.ptstrName =
        static_cast<LPWSTR>(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
    return ::SetEntriesInAclW(1, &access, nullptr, &acl) == ERROR_SUCCESS;
  }
  // Replaces the object's list, and stops it inheriting its parent's.
  bool ApplyTo(const std::string& path) {
    std::wstring wide = WidePath(path);
    return ::SetNamedSecurityInfoW(wide.data(), SE_FILE_OBJECT,
                                   DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                   nullptr, nullptr, acl, nullptr) == ERROR_SUCCESS;
  }
};

}  // namespace

bool CreatePrivateFoldersOf(const std::string& path) {
  std::filesystem::path wanted = std::filesystem::path(WidePath(path)).parent_path();
  std::error_code ec;
  if (wanted.empty() || std::filesystem::is_directory(wanted, ec)) return true;
  OwnerOnly owner;
  if (!owner.Build(true)) return false;
  std::filesystem::path made;
  for (const auto& part : wanted) {
    made /= part;
    if (std::filesystem::is_directory(made, ec)) continue;
    if (!::CreateDirectoryW(made.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
    if (!owner.ApplyTo(NarrowPath(made.wstring()))) return false;
  }
  return std::filesystem::is_directory(wanted, ec);
}

bool MakePrivateFile(const std::string& path) {
  HANDLE file = ::CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  OwnerOnly owner;
  return owner.Build(false) && owner.ApplyTo(path);
}

void KeepAccess(const std::string& target, const std::string& temp, int) {
  // Moved into place, the new file keeps its own list: give it the target's.
  PACL acl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  std::wstring wideTarget = WidePath(target);
  if (::GetNamedSecurityInfoW(wideTarget.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, &acl, nullptr, &descriptor) != ERROR_SUCCESS)
    return;  // no target yet: the folder's inherited list is a new file's
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ::GetSecurityDescriptorControl(descriptor, &control, &revision);
  SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION;
  if (control & SE_DACL_PROTECTED) what |= PROTECTED_DACL_SECURITY_INFORMATION;
  std::wstring wideTemp = WidePath(temp);
  ::SetNamedSecurityInfoW(wideTemp.data(), SE_FILE_OBJECT, what, nullptr, nullptr, acl, nullptr);
  ::LocalFree(descriptor);
}

std::string ProgramFolder() {
  std::wstring exe(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
    if (n == 0) return ".";
    if (n < exe.size()) {
      exe.resize(n);
      break;
    }
    exe.resize(exe.size() * 2);
  }
  std::string path = NarrowPath(exe);
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

#else

namespace {

// What open() with 0666 would give a new file under the process's umask.
mode_t NewFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

bool CreatePrivateFoldersOf(const std::string& path) {
  std::filesystem::path wanted = std::filesystem::path(path).parent_path();
  if (wanted.empty()) return true;
  std::error_code ec;
  if (std::filesystem::is_directory(wanted, ec)) return true;
  std::filesystem::path made;
  for (const auto& part : wanted) {
    made /= part;
    if (std::filesystem::is_directory(made, ec)) continue;
    if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return std::filesystem::is_directory(wanted, ec);
}

bool MakePrivateFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, 0600) == 0;
  return ::close(fd) == 0 && ok;
}

void KeepAccess(const std::string& target, const std::string&, int fd) {
  struct stat st {};
  bool exists = ::stat(target.c_str(), &st) == 0;
  ::fchmod(fd, exists ? (st.st_mode & 07777) : NewFileMode());
}

std::string ProgramFolder() {
  char buffer[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return ".";
  std::string exe(buffer, static_cast<size_t>(n));
  size_t slash = exe.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : exe.substr(0, slash);
}

#endif

}  // namespace saftpt
