#include <iostream>

#include "cli/convert_command.h"

// zev-convert for node: the converter's command as the native program runs it, on one thread and
// without page pictures, which the browser build has neither of.
int main(int argc, char** argv) {
  return zev::runConvertCommand(argc, argv, std::cout, std::cerr, {.threads = false});
}
