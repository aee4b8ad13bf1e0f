#pragma once

#include <filesystem>
#include <string_view>

#include "analysis/effect_parameters.h"
#include "bvh/bvh_reader.h"
#include "store/motion_store.h"

// The analysis pass as the dialog runs it: read the opened file, tell the user the outcome and
// which of Save, Analyze and Graph can be used, analyse, clear the panel.

namespace zev {

enum class PassButton { Save, Analyze, Graph };
inline constexpr int PASS_BUTTON_COUNT = 3;

inline constexpr std::string_view COMPLETE_MESSAGE = "COMPLETE...";

// What the pass needs from the dialog; the dialog implements it.
class AnalysisView {
 public:
  virtual ~AnalysisView() = default;
  // message as the status field shows it; detail says where and why, for a tooltip.
  virtual void showStatus(std::string_view message, std::string_view detail) = 0;
  virtual void setButtonEnabled(PassButton button, bool enabled) = 0;
  virtual void clearPanel() = 0;
};

// Reads the file at bvhFilePath into store and analyses it. A failed read shows its message and
// changes nothing else, except that a frame count out of range empties the motion (frameCount 0)
// and disables Save, Analyze and Graph; the signals then keep the results of the last good pass. A
// movie-mode pass ends with an empty status, a still-mode pass with "COMPLETE..."; a loop pass
// says in the detail how it took the cycle (describeLoop), and advises a closing frame where the
// cycle travels without one. Returns the reader's result.
BvhReadResult runAnalysisPass(const EffectParameters& parameters,
                              const std::filesystem::path& bvhFilePath, BvhReader& reader,
                              MotionStore& store, AnalysisView& view);

}  // namespace zev
