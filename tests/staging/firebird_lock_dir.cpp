// The embedded engine keeps its lock files in /tmp/firebird. When another
// user made that folder first, this user cannot use it; the tests then give
// the engine a lock folder of their own before anything attaches.
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace {

struct FirebirdLockDir {
  FirebirdLockDir() {
    if (std::getenv("FIREBIRD_LOCK") != nullptr) return;
    struct stat st {};
    if (::stat("/tmp/firebird", &st) != 0 || ::access("/tmp/firebird", W_OK | X_OK) == 0) return;
    const std::string own = "/tmp/korvun-firebird-" + std::to_string(::getuid());
    ::mkdir(own.c_str(), 0700);
    ::setenv("FIREBIRD_LOCK", own.c_str(), 0);
  }
} firebirdLockDir;

}  // namespace
