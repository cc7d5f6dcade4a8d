#include "platform/kernel/Files.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string FileErrorText(int error) {
  if (error == kNotRegularFile) return "not a regular file";
  return std::strerror(error);
}

namespace {

// The file a write replaces: the end of a chain of symbolic links.
std::string targetOf(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      std::string r(real);
      std::free(real);
      return r;
    }
  }
  return path;
}

bool writeAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    const ssize_t put = ::write(fd, p, n);
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += put;
    n -= size_t(put);
  }
  return true;
}

}  // namespace

int ReplaceFileContents(const std::string& path, const void* data, size_t size) {
  if (path.empty()) return ENOENT;
  const std::string target = targetOf(path);
  const size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  if (base.empty()) return EISDIR;

  struct stat st;
  const bool existed = ::stat(target.c_str(), &st) == 0;
  if (existed && S_ISDIR(st.st_mode)) return EISDIR;

  static std::atomic<unsigned> counter{0};
  std::string tmp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tmp = dir + "/." + base + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return errno;
  }
  if (fd < 0) return EEXIST;
  if (existed) (void)::fchmod(fd, st.st_mode & 07777);

  auto abandon = [&](int err) {
    ::close(fd);
    ::unlink(tmp.c_str());
    return err;
  };
  if (!writeAll(fd, static_cast<const char*>(data), size)) return abandon(errno);
  if (::fsync(fd) != 0) return abandon(errno);
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(tmp.c_str());
    return err;
  }
  if (::rename(tmp.c_str(), target.c_str()) != 0) {
    const int err = errno;
    ::unlink(tmp.c_str());
    return err;
  }
  // Make the rename itself durable; a failure here loses nothing already written.
  const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    (void)::fsync(dfd);
    ::close(dfd);
  }
  return 0;
}

int ReadRegularFile(const std::string& path, std::string& out, size_t limit, struct stat* stOut) {
  out.clear();
  // Non-blocking, so opening a FIFO with no writer returns at once; it is refused below.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno;
  struct stat st;
  const int statErr = ::fstat(fd, &st) == 0 ? 0 : errno;
  if (statErr || !S_ISREG(st.st_mode)) {
    const int err = statErr ? statErr : S_ISDIR(st.st_mode) ? EISDIR : kNotRegularFile;
    ::close(fd);
    return err;
  }
  if (uint64_t(st.st_size) > limit) {
    ::close(fd);
    return EFBIG;
  }
  out.reserve(size_t(st.st_size));
  char buf[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buf, sizeof buf);
    if (got > 0) {
      if (out.size() + size_t(got) > limit) {   // grew while being read
        ::close(fd);
        out.clear();
        return EFBIG;
      }
      out.append(buf, size_t(got));
    } else if (got == 0) {
      break;
    } else if (errno != EINTR) {
      const int err = errno;
      ::close(fd);
      out.clear();
      return err;
    }
  }
  if (stOut) (void)::fstat(fd, stOut);
  ::close(fd);
  return 0;
}
