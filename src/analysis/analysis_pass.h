#pragma once

#include <string_view>

#include "bvh/bvh_reader.h"

// The one operation that turns a BVH file into effect signals: read, pose signals, in movie mode
// the dynamics and the delay, the limit, then the outcome shown to the user. It fixes the order of
// the steps and what each receives; the numerics live in the steps themselves.

namespace zev {

// The analysis settings as the dialog's controls hold them when the pass starts. In still mode
// only gCoefficient and limitOn matter.
struct EffectParameters {
  int gCoefficient = 10;  // 1 to 20, gravity factor in tenths
  int delayTime = 5;      // 0 to 10, in units of about a fifteenth of a second
  int inertiaRate = 10;   // 0 to 40
  int accelRate = 10;     // 0 to 40
  int gFusion = 35;       // 0 to 99
  bool stillMode = true;
  bool limitOn = true;
};

enum class PassButton { Save, Analyze, Graph };

// What the pass needs from the dialog; the dialog implements it.
class AnalysisView {
 public:
  virtual ~AnalysisView() = default;
  virtual void showStatus(std::string_view text) = 0;
  virtual void setButtonEnabled(PassButton button, bool enabled) = 0;
  virtual void clearPanel() = 0;
};

// For callers without a dialog (the converter, benchmarks, fuzzing): they judge the outcome by the
// reader's status alone.
class SilentView final : public AnalysisView {
 public:
  void showStatus(std::string_view) override {}
  void setButtonEnabled(PassButton, bool) override {}
  void clearPanel() override {}
};

inline constexpr std::string_view COMPLETE_MESSAGE = "COMPLETE...";

// Steps 2 to 9 of the pass, given the reader's status (shared by AnalysisPass and by the fuzzer,
// which reads from memory). A failed read shows its message and changes nothing else, except that
// a frame count out of range disables Save, Analyze and Graph.
void analyseAfterRead(BvhReadStatus status, const EffectParameters& parameters, AnalysisView& view);

// The whole pass: reads the file at bvhFilePath, then analyseAfterRead. Returns the reader's status
// so that callers other than the dialog (the converter) can tell failure from success.
BvhReadStatus AnalysisPass(const EffectParameters& parameters, const char* bvhFilePath,
                           AnalysisView& view);

}  // namespace zev
