#pragma once

#include <array>
#include <string_view>

// The analysis settings and the one table of their ranges. The dialog's spins, the converter's
// options and its usage text, the fuzzers and the benchmarks all take the ranges from here.

namespace zev {

struct ParameterRange {
  int minimum;
  int maximum;
  int defaultValue;  // also what the dialog's DEFAULT restores
};

inline constexpr ParameterRange G_COEFFICIENT_RANGE{1, 20, 10};
inline constexpr ParameterRange DELAY_TIME_RANGE{0, 10, 5};
inline constexpr ParameterRange INERTIA_RATE_RANGE{0, 40, 10};
inline constexpr ParameterRange ACCEL_RATE_RANGE{0, 40, 10};
inline constexpr ParameterRange G_FUSION_RANGE{0, 99, 35};

// The settings as the dialog's controls hold them when a pass starts. In still mode only
// gCoefficient and limitOn matter.
struct EffectParameters {
  int gCoefficient = G_COEFFICIENT_RANGE.defaultValue;  // gravity factor in tenths
  int delayTime = DELAY_TIME_RANGE.defaultValue;        // units of about a fifteenth of a second
  int inertiaRate = INERTIA_RATE_RANGE.defaultValue;
  int accelRate = ACCEL_RATE_RANGE.defaultValue;
  int gFusion = G_FUSION_RANGE.defaultValue;
  bool stillMode = true;
  bool limitOn = true;
  // Movie mode only: the motion is one cycle of a motion that plays again and again, and the
  // springs and the delay run across the seam from its last frame into its first.
  bool loop = false;
};

struct ParameterRow {
  std::string_view label;   // as the dialog writes it beside its field
  std::string_view option;  // the converter's option, without its dashes
  ParameterRange range;
  bool movieOnly;  // shapes the movie-mode dynamics alone
  int EffectParameters::*field;
};

// In the order of the dialog's spins, top to bottom.
inline constexpr std::array<ParameterRow, 5> PARAMETER_TABLE{{
    {"G coefficient", "g", G_COEFFICIENT_RANGE, false, &EffectParameters::gCoefficient},
    {"Delay time", "delay", DELAY_TIME_RANGE, true, &EffectParameters::delayTime},
    {"Inertia rate", "inertia", INERTIA_RATE_RANGE, true, &EffectParameters::inertiaRate},
    {"Accel rate", "accel", ACCEL_RATE_RANGE, true, &EffectParameters::accelRate},
    {"G Fusion", "fusion", G_FUSION_RANGE, true, &EffectParameters::gFusion},
}};

}  // namespace zev
