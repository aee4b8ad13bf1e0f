#include <iostream>

#include "cli/convert_command.h"

int main(int argc, char** argv) { return zev::runConvertCommand(argc, argv, std::cout, std::cerr); }
