#include "store/motion_store.h"

namespace zev {

namespace {
// Static storage: zero-initialised before the program starts, never freed.
MotionStore theStore;
}  // namespace

MotionStore& motionStore() { return theStore; }

}  // namespace zev
