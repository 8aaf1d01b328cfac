// SystemToolIo on POSIX: the Linux build of tolvex-ini, which has no display of Tolvex's to ask.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "tools/commands/stdio_files.h"
#include "tools/commands/system_tool_io.h"

namespace tolvex_commands {

namespace {

bool fail(FileTrouble& trouble) {
  trouble.exists = errno == EEXIST;
  trouble.noRoom = errno == ENOSPC || errno == EDQUOT;
  trouble.noFolder = errno == ENOENT || errno == ENOTDIR;
  trouble.denied = errno == EACCES || errno == EPERM || errno == EROFS;
  return failWithErrno(trouble.reason);
}

}  // namespace

bool SystemToolIo::readFileHead(const char* path, std::uint8_t* buffer, std::size_t capacity,
                                std::size_t& stored, std::size_t& total, ReasonText& why) {
  return readFileHeadStdio(path, buffer, capacity, stored, total, why);
}

bool SystemToolIo::fileExists(const char* path) {
  struct stat status;
  // Anything but "not there" may be a file that must not be replaced.
  return stat(path, &status) == 0 || errno != ENOENT;
}

bool SystemToolIo::isFolder(const char* path) {
  struct stat status;
  return stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

bool SystemToolIo::writeNewFile(const char* path, const std::uint8_t* bytes, std::size_t size,
                                FileTrouble& trouble) {
  errno = 0;
  const int file = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (file < 0) {
    return fail(trouble);
  }
  std::size_t done = 0;
  while (done < size) {
    const ssize_t wrote = write(file, bytes + done, size - done);
    if (wrote < 0 && errno == EINTR) {
      continue;
    }
    if (wrote <= 0) {
      const int saved = wrote < 0 ? errno : ENOSPC;
      (void)close(file);
      errno = saved;
      return fail(trouble);
    }
    done += static_cast<std::size_t>(wrote);
  }
  if (fsync(file) != 0) {
    const int saved = errno;
    (void)close(file);
    errno = saved;
    return fail(trouble);
  }
  return close(file) == 0 ? true : fail(trouble);
}

bool SystemToolIo::moveFile(const char* from, const char* to, bool replace, FileTrouble& trouble) {
  errno = 0;
  if (replace) {
    return std::rename(from, to) == 0 ? true : fail(trouble);
  }
  // A link fails where `to` exists, however it came there since it was looked for.
  if (link(from, to) == 0) {
    (void)unlink(from);
    return true;
  }
  if (errno == EEXIST || fileExists(to)) {
    errno = EEXIST;
    return fail(trouble);
  }
  // A file system without links: the look above, then a rename.
  errno = 0;
  return std::rename(from, to) == 0 ? true : fail(trouble);
}

bool SystemToolIo::removeFile(const char* path) {
  return std::remove(path) == 0;
}

tolvex::Platform* SystemToolIo::system() {
  return nullptr;
}

bool SystemToolIo::tolvexRunning() {
  return false;
}

}  // namespace tolvex_commands
