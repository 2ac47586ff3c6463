// The operating system's calls for files that only their owner may read (the
// settings file holds the database's credentials) and for the program's own
// folder. POSIX modes or Windows access lists, chosen when compiling.
#ifndef SAFTPT_BASE_PRIVATEFILES_H_
#define SAFTPT_BASE_PRIVATEFILES_H_

#include <string>

namespace saftpt {

// Creates the folder of the file `path` and each missing folder above it for
// its owner only; true when the folder is there afterwards.
bool CreatePrivateFoldersOf(const std::string& path);

// Creates `path` when missing; either way only its owner may read or write it.
bool MakePrivateFile(const std::string& path);

// Gives `temp` (open as `fd`), which is about to replace `target`, the
// access `target` has, or a new file's when there is no `target` yet.
void KeepAccess(const std::string& target, const std::string& temp, int fd);

// The folder the running program's file is in ("." when unknown).
std::string ProgramFolder();

}  // namespace saftpt

#endif  // SAFTPT_BASE_PRIVATEFILES_H_
