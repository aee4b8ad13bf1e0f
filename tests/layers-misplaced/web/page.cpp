#include "cli/convert_command.h"
