#include "common/version.h"
