#include "cli/stop_watch.h"

#include <pthread.h>
#include <unistd.h>

#include <csignal>

// The POSIX stops: the signals are blocked in every thread and taken by one that waits for them,
// so that a stop runs as ordinary code, which may wait for the registry's lock.

namespace zev {

namespace {

constexpr int STOP_SIGNALS[] = {SIGINT, SIGHUP, SIGTERM};

// The stop signals, but those the program was started to ignore (nohup, a background job).
sigset_t watchedSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (const int signal : STOP_SIGNALS) {
    struct sigaction action;
    if (sigaction(signal, nullptr, &action) == 0 && action.sa_handler != SIG_IGN) {
      sigaddset(&signals, signal);
    }
  }
  return signals;
}

// The first of the signals, to wake the watcher with; 0 for none.
int firstOf(const sigset_t& signals) {
  for (const int signal : STOP_SIGNALS) {
    if (sigismember(&signals, signal) == 1) return signal;
  }
  return 0;
}

}  // namespace

StopWatch::StopWatch(SaveRegistry& saves) : saves_(saves) {
  const sigset_t signals = watchedSignals();
  if (firstOf(signals) == 0) return;  // nothing to watch for
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  watcher_ = std::thread([this, signals] {
    for (;;) {
      int signal = 0;
      if (sigwait(&signals, &signal) != 0) continue;
      if (closing_) return;
      saves_.abandon();
      ::_exit(128 + signal);
    }
  });
}

// The watcher is woken by one of its own signals, sent to it alone, and sees that the program
// ends by itself.
StopWatch::~StopWatch() {
  if (!watcher_.joinable()) return;
  closing_ = true;
  const sigset_t signals = watchedSignals();
  pthread_kill(watcher_.native_handle(), firstOf(signals));
  watcher_.join();
  pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
}

}  // namespace zev
