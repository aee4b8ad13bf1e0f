#include "files/output_claims.h"

#include <optional>
#include <system_error>

#include "files/safe_save.h"

namespace zev {

namespace fs = std::filesystem;

void OutputClaims::addInput(const fs::path& input) {
  if (const std::optional<FileIdentity> identity = fileIdentity(input)) {
    holders_.try_emplace(*identity, ClaimHolder{input.string(), ""});
  }
}

ClaimResult OutputClaims::claim(const fs::path& output, const std::string& owner) {
  if (isNullDevice(output)) return {};  // it takes and keeps nothing
  FileKey key;
  if (const std::optional<FileIdentity> identity = fileIdentity(output)) {
    key = *identity;
  } else {
    // Not there yet: the path it will get, absolute ("out.pz2" and "./out.pz2" are one), with the
    // links and spellings of its folders resolved, as the file system compares names.
    std::error_code error;
    const fs::path created = fs::absolute(saveDestinationOf(output).file, error);
    fs::path resolved = fs::weakly_canonical(created, error);
    key = nameAsCompared((error ? created : resolved).lexically_normal());
  }
  const auto [holder, claimed] = holders_.try_emplace(key, ClaimHolder{output.string(), owner});
  if (claimed) return {};
  return {.granted = false, .holder = holder->second};
}

}  // namespace zev
