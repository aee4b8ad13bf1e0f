#include <windows.h>

#include <atomic>

#include "cli/stop_watch.h"

// The Windows stops: the console calls its handlers on a thread of their own, which may wait for
// the registry's lock. The console knows no context for a handler, so the registry is the
// program's one.

namespace zev {

namespace {

constexpr int SIGNAL_INTERRUPT = 2;  // SIGINT: Ctrl-C and Ctrl-Break
constexpr int SIGNAL_HANGUP = 1;     // SIGHUP: the console window closed, the user logging off

std::atomic<SaveRegistry*> watchedSaves{nullptr};

BOOL WINAPI onStop(DWORD event) {
  SaveRegistry* saves = watchedSaves.load();
  if (saves == nullptr) return FALSE;
  const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
  saves->abandon();
  ExitProcess(128 + (interrupt ? SIGNAL_INTERRUPT : SIGNAL_HANGUP));
}

}  // namespace

StopWatch::StopWatch(SaveRegistry& saves) : saves_(saves) {
  watchedSaves = &saves_;
  SetConsoleCtrlHandler(onStop, TRUE);
}

StopWatch::~StopWatch() {
  SetConsoleCtrlHandler(onStop, FALSE);
  watchedSaves = nullptr;
}

}  // namespace zev
