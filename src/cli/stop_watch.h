#pragma once

#include <atomic>
#include <thread>

#include "files/save_registry.h"

// A stop asked of the converter from outside: Ctrl-C (SIGINT), a closed terminal (SIGHUP) or a
// request to end (SIGTERM); on Windows Ctrl-C, Ctrl-Break and a closed console window. While a
// StopWatch lives, a stop waits until no output set is half put in place, removes the temporary
// files of every save under way, and ends the program with 128 + the signal's number (130, 129,
// 143), as a shell reports a program that the signal ended. A signal the program was started to
// ignore stays ignored.

namespace zev {

class StopWatch {
 public:
  // Made at the program's start, before any other thread, which then inherits what it sets.
  explicit StopWatch(SaveRegistry& saves);
  ~StopWatch();
  StopWatch(const StopWatch&) = delete;
  StopWatch& operator=(const StopWatch&) = delete;

 private:
  SaveRegistry& saves_;
  std::atomic<bool> closing_{false};
  std::thread watcher_;
};

}  // namespace zev
