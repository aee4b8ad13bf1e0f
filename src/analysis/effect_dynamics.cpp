#include "analysis/effect_dynamics.h"

#include "analysis/spring_filter.h"
#include "store/motion_store.h"

namespace zev {

namespace {

constexpr double STEP_BASE = 15.0;
constexpr double ONE_15TH = 0.06666666666666667;
constexpr double ONE_THIRD = 0.3333333333333333;
constexpr double FUSION_SCALE = 0.01;
constexpr double CHEST_STEP = static_cast<double>(0.8f);
constexpr double HEAD_STEP = static_cast<double>(0.4f);
constexpr double HIP_UP_STEP = 0.8;
constexpr double TWIST_STEP = static_cast<double>(0.6f);
constexpr double HIP_POSITION_STEP = static_cast<double>(0.4f);
constexpr double CHEST_SCALE = 1.5;
constexpr double HIP_UP_SCALE = static_cast<double>(1.2f);
constexpr double HAIR_SCALE = static_cast<double>(0.15f);
constexpr double HAIR_TWIST_WEIGHT = static_cast<double>(0.3f);
constexpr double HAIR_SWING_SHARE = 0.25;

struct SlotPair {
  SlotNumber output;
  SlotNumber base;
};

// In the order the copies are taken.
constexpr SlotPair BASE_PAIRS[] = {
    {earringZrot, earringZrotBase},
    {earringSway, earringSwayBase},
    {earringXrot, earringXrotBase},
    {headFront, headFrontBase},
    {headSide, headSideBase},
    {headUp, headUpBase},
    {hipUp, hipUpBase},
    {chestFront, chestFrontBase},
    {chestSide, chestSideBase},
    {chestUp, chestUpBase},
};

// How an output takes the hip response: the chest and hip effects its mean, the earrings its plain
// sum, the hair its sum scaled and joined by the twist.
enum class Form { Mean, Sum, Hair };

struct Update {
  SlotNumber output;
  SlotNumber base;
  Form form;
  double scale;  // mean form only
};

// In the order of the per-frame update; hairSwing follows headSide.
constexpr Update UPDATES[] = {
    {chestUp, chestUpBase, Form::Mean, 1.0},
    {earringXrot, earringXrotBase, Form::Sum, 1.0},
    {earringSway, earringSwayBase, Form::Sum, 1.0},
    {earringZrot, earringZrotBase, Form::Sum, 1.0},
    {headUp, headUpBase, Form::Hair, 1.0},
    {headSide, headSideBase, Form::Hair, 1.0},
    {headFront, headFrontBase, Form::Hair, 1.0},
    {chestFront, chestFrontBase, Form::Mean, CHEST_SCALE},
    {chestSide, chestSideBase, Form::Mean, CHEST_SCALE},
    {hipUp, hipUpBase, Form::Mean, HIP_UP_SCALE},
};

}  // namespace

void saveBaseSlots() {
  MotionStore& store = motionStore();
  for (const SlotPair& pair : BASE_PAIRS) {
    for (int i = 0; i < store.frameCount; ++i) {
      store.slots[pair.base][i] = store.slots[pair.output][i];
    }
  }
}

void applyEffectDynamics(double inertiaRate, double accelRate, double gFusion) {
  MotionStore& store = motionStore();
  auto& slot = store.slots;
  saveBaseSlots();

  const double d = store.frameTime;
  const double e = (1.0 / (1.0 / d)) * STEP_BASE;
  const double accelGain = (accelRate / d) * ONE_15TH;
  const double inertiaGain = (inertiaRate / d) * ONE_15TH;

  springFilter(slot[chestUpBase], accelGain, FilterMode::Replace, e * CHEST_STEP);
  springFilter(slot[chestSideBase], accelGain, FilterMode::Replace, e * CHEST_STEP);
  springFilter(slot[chestFrontBase], accelGain, FilterMode::Replace, e * CHEST_STEP);
  springFilter(slot[headUpBase], accelGain, FilterMode::Replace, e * HEAD_STEP);
  springFilter(slot[headSideBase], accelGain, FilterMode::Replace, e * HEAD_STEP);
  springFilter(slot[headFrontBase], accelGain, FilterMode::Replace, e * HEAD_STEP);
  springFilter(slot[earringXrotBase], accelGain, FilterMode::Replace, e);
  springFilter(slot[earringSwayBase], accelGain, FilterMode::Replace, e);
  springFilter(slot[earringZrotBase], accelGain, FilterMode::Replace, e);
  springFilter(slot[hipUpBase], accelGain, FilterMode::Replace, e * HIP_UP_STEP);
  springFilter(slot[twistSum], accelGain, FilterMode::Replace, e * TWIST_STEP);
  springFilter(store.hipXPos, inertiaGain, FilterMode::Replace, e * HIP_POSITION_STEP);
  springFilter(store.hipYPos, inertiaGain, FilterMode::Replace, e * HIP_POSITION_STEP);
  springFilter(store.hipZPos, inertiaGain, FilterMode::Replace, e * HIP_POSITION_STEP);

  for (int i = 0; i < store.frameCount; ++i) {
    const double x = store.hipXPos[i];
    const double y = store.hipYPos[i];
    const double z = store.hipZPos[i];
    const double hipMean = ((y + z) + x) * ONE_THIRD;
    for (const Update& update : UPDATES) {
      double& out = slot[update.output][i];
      const double base = slot[update.base][i];
      const double fusion = ((1.0 - base) * gFusion) * FUSION_SCALE;
      switch (update.form) {
        case Form::Mean:
          out = (base + (fusion + hipMean) * out) * update.scale;
          break;
        case Form::Sum:
          out = base + (((fusion + y) + z) + x) * out;
          break;
        case Form::Hair:
          out = (base + (((fusion + y) + z) + x) * out) * HAIR_SCALE +
                slot[twistSum][i] * HAIR_TWIST_WEIGHT;
          break;
      }
      if (update.output == headSide) slot[hairSwing][i] = out * HAIR_SWING_SHARE;
    }
  }
}

}  // namespace zev
