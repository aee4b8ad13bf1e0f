#include <iostream>

#include "cli/convert_command.h"

// Makes emscripten's files behave as the native converter's (node_files.js).
extern "C" void zev_prepare_node_files();

// zev-convert for node: the converter's command as the native program runs it, on one thread and
// without page pictures, which the browser build has neither of.
int main(int argc, char** argv) {
  zev_prepare_node_files();
  return zev::runConvertCommand(argc, argv, std::cout, std::cerr, {.threads = false});
}
