#include "files/save_registry.h"

#include <algorithm>
#include <system_error>

namespace zev {

namespace fs = std::filesystem;

void SaveRegistry::add(const fs::path& temporary) { temporaries_.push_back(temporary); }

void SaveRegistry::forget(const fs::path& temporary) {
  const auto found = std::find(temporaries_.begin(), temporaries_.end(), temporary);
  if (found != temporaries_.end()) temporaries_.erase(found);
}

bool SaveRegistry::firstVisit(const fs::path& folder) { return visited_.insert(folder).second; }

void SaveRegistry::abandon() {
  mutex_.lock();
  for (const fs::path& temporary : temporaries_) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
  }
  temporaries_.clear();
}

}  // namespace zev
