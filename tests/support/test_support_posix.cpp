#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/test_support.h"

// The helpers that make devices, change the user and mount file systems, on a POSIX system.

namespace zev::test {

bool makeCharacterDevice(const std::filesystem::path& path, unsigned major, unsigned minor) {
  return ::mknod(path.c_str(), S_IFCHR | 0666, makedev(major, minor)) == 0;
}

std::optional<bool> asOrdinaryUser(const std::function<bool()>& check) {
  if (::geteuid() != 0) return check();
  constexpr uid_t NOBODY = 65534;
  const pid_t child = ::fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    if (::setgid(NOBODY) != 0 || ::setuid(NOBODY) != 0) ::_exit(2);
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 2) {
    return std::nullopt;
  }
  return WEXITSTATUS(status) == 0;
}

MemoryMount::MemoryMount(const std::filesystem::path& folder, int kilobytes)
    : folder_(folder),
      mounted_(::mount("tmpfs", folder.c_str(), "tmpfs", 0,
                       ("size=" + std::to_string(kilobytes) + "k").c_str()) == 0) {}

MemoryMount::~MemoryMount() {
  if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
}

}  // namespace zev::test
