#pragma once

#include <filesystem>
#include <mutex>
#include <set>
#include <vector>

// What the saves of one program share: the temporary files under way, so that a program stopped
// by a signal removes them all, and the folders already cleared of the leftovers of earlier runs.
// Its lock is held while a temporary file is made and while an output set is put in place, so
// that a stop comes before the first rename of a set or after its last, never between.

namespace zev {

class SaveRegistry {
 public:
  SaveRegistry() = default;
  SaveRegistry(const SaveRegistry&) = delete;
  SaveRegistry& operator=(const SaveRegistry&) = delete;

  // The lock; the calls below, but for abandon(), are made while it is held.
  std::unique_lock<std::mutex> hold() { return std::unique_lock(mutex_); }
  void add(const std::filesystem::path& temporary);
  void forget(const std::filesystem::path& temporary);
  // Whether folder is met for the first time.
  bool firstVisit(const std::filesystem::path& folder);

  // For a program that is being stopped: waits for the lock, removes every temporary file still
  // registered, and keeps the lock, so that no save goes on; the caller then ends the program.
  void abandon();

 private:
  std::mutex mutex_;
  std::vector<std::filesystem::path> temporaries_;
  std::set<std::filesystem::path> visited_;
};

}  // namespace zev
