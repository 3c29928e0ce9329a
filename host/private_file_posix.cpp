#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/private_file.hpp"

namespace korvun::host {

bool WritePrivateFileAtomically(const std::string& path, const std::string& data,
                                std::string* error) {
  const std::string temp = path + ".tmp." + std::to_string(::getpid());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) {
    *error = "Profil nicht schreibbar: " + temp + " (" + std::strerror(errno) + ")";
    return false;
  }
  ::fchmod(fd, 0600);
  size_t written = 0;
  bool ok = true;
  while (ok && written < data.size()) {
    const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) written += static_cast<size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
    *error = "Profil nicht gespeichert: " + path + " (" + std::strerror(errno) + ")";
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace korvun::host
