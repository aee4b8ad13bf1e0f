#include "support/test_support.h"

// Windows lets a test make no device, become no other user and mount nothing; each helper says so,
// and the tests that need one skip their case.

namespace zev::test {

bool makeCharacterDevice(const std::filesystem::path&, unsigned, unsigned) { return false; }

std::optional<bool> asOrdinaryUser(const std::function<bool()>&) { return std::nullopt; }

MemoryMount::MemoryMount(const std::filesystem::path& folder, int)
    : folder_(folder), mounted_(false) {}

MemoryMount::~MemoryMount() = default;

}  // namespace zev::test
