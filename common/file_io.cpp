#include "common/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tavrin {

namespace fs = std::filesystem;

namespace {

// C's streams rather than <fstream>: a file stream sets up the C++ locale machinery on its
// first use, a cost the start of the program (which reads its settings through here) can skip.
std::FILE* OpenForReading(const fs::path& path) {
#ifdef _WIN32
  return ::_wfopen(path.c_str(), L"rb");
#else
  return std::fopen(path.c_str(), "rb");
#endif
}

}  // namespace

Result<std::string> ReadFileLimited(const fs::path& path, std::size_t maxBytes) {
  errno = 0;
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(OpenForReading(path), &std::fclose);
  if (!in) {
    const int err = errno;
    return Error{"Cannot open " + Utf8FromPath(path) + ": " + std::strerror(err ? err : ENOENT)};
  }
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    return Error{"Cannot read " + Utf8FromPath(path) + ": it is a folder"};
  }
  std::string data;
  char chunk[8192];
  for (;;) {
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, in.get());
    data.append(chunk, got);
    if (data.size() > maxBytes) {
      return Error{"Cannot read " + Utf8FromPath(path) + ": the file is larger than " +
                   std::to_string(maxBytes) + " bytes"};
    }
    if (got < sizeof chunk) break;
  }
  if (std::ferror(in.get())) return Error{"Cannot read " + Utf8FromPath(path) + ": read error"};
  return data;
}

#ifndef _WIN32

Status WriteFileAtomically(const fs::path& path, std::string_view bytes) {
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  std::string tmpl = (folder / ("." + path.filename().native() + ".tmp-XXXXXX")).native();
  const int fd = ::mkstemp(tmpl.data());
  if (fd < 0) {
    return Error{"Cannot write " + Utf8FromPath(path) + ": " + std::strerror(errno)};
  }
  auto fail = [&](int err) -> Status {
    ::close(fd);
    ::unlink(tmpl.c_str());
    return Error{"Cannot write " + Utf8FromPath(path) + ": " + std::strerror(err)};
  };
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  // mkstemp makes the file private; an ordinary document gets the usual permissions.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  if (::fsync(fd) != 0) return fail(errno);
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(tmpl.c_str());
    return Error{"Cannot write " + Utf8FromPath(path) + ": " + std::strerror(err)};
  }
  if (::rename(tmpl.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(tmpl.c_str());
    return Error{"Cannot write " + Utf8FromPath(path) + ": " + std::strerror(err)};
  }
  return {};
}

#else

Status WriteFileAtomically(const fs::path& path, std::string_view bytes) {
  fs::path tmp = path;
  tmp += ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      std::error_code ignored;
      fs::remove(tmp, ignored);
      return Error{"Cannot write " + Utf8FromPath(path)};
    }
  }
  std::error_code ec;
  fs::rename(tmp, path, ec);  // MoveFileEx with MOVEFILE_REPLACE_EXISTING underneath
  if (ec) {
    std::error_code ignored;
    fs::remove(tmp, ignored);
    return Error{"Cannot write " + Utf8FromPath(path) + ": " + ec.message()};
  }
  return {};
}

#endif

}  // namespace tavrin
