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
  FileKey key;
  if (const std::optional<FileIdentity> identity = fileIdentity(output)) {
    key = *identity;
  } else {
    // Not there yet: the path it will get, with the links and spellings of its folders resolved.
    const fs::path created = saveDestinationOf(output).file;
    std::error_code error;
    fs::path resolved = fs::weakly_canonical(created, error);
    key = error ? fs::absolute(created, error).lexically_normal() : resolved;
  }
  const auto [holder, claimed] = holders_.try_emplace(key, ClaimHolder{output.string(), owner});
  if (claimed) return {};
  return {.granted = false, .holder = holder->second};
}

}  // namespace zev
