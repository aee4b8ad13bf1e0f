#include "bvh/bvh_reader.h"
