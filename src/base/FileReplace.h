// The operating system's calls for replacing a file in full: a new file
// beside the target, written, flushed to disk, then moved over the target in
// one step, so a reader never sees half a file. POSIX or Windows, chosen when
// compiling; the callers see only errno values.
#ifndef SAFTPT_BASE_FILEREPLACE_H_
#define SAFTPT_BASE_FILEREPLACE_H_

#include <cstddef>
#include <string>

namespace saftpt {

// Creates `name`, which must not exist yet, for writing (binary, not
// inherited by child processes) with `mode` as open() takes it; the
// descriptor, or -1 with errno set.
int CreateNewFile(const std::string& name, int mode);

// Creates a new file beside `path`, named `path` and a random suffix (put in
// `name`); the descriptor, or -1 with errno set.
int CreateTempBeside(const std::string& path, std::string& name, int mode);

// Writes all of `data`; false with errno set.
bool WriteAll(int fd, const char* data, size_t size);

// Asks the system to start writing what the file has so far to disk, without
// waiting for it: the flush at the end then has little left to wait for.
// Nothing where the system has no such call.
void StartWritingBack(int fd);

// Flushes the file to disk and closes it: 0, or the first errno.
int FlushAndClose(int fd);

// Closes without flushing (a file given up).
void CloseFile(int fd);

// Writes `content` over the file in place (where no file can be created
// beside it); false when that fails.
bool WriteInPlace(const std::string& path, const std::string& content);

// Puts `temp` in place of `target` in one step, replacing it: 0 or errno
// (EBUSY when another program holds the target open).
int MoveOver(const std::string& temp, const std::string& target);

// Makes a completed move survive a crash, where the system needs it.
void SyncFolderOf(const std::string& path);

void RemoveFile(const std::string& path);

// The path with its links resolved, or `path` itself when it cannot be.
std::string ResolvedPath(const std::string& path);

// Words for an errno value from the calls above, for the user's message.
std::string SystemErrorText(int err);

// A file that could not be written, with the system's reason (an errno):
// "Não foi possível gravar o ficheiro …".
[[noreturn]] void WriteError(const std::string& path, int err);

}  // namespace saftpt

#endif  // SAFTPT_BASE_FILEREPLACE_H_
