#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "cli/console_windows.h"
#include "cli/convert_command.h"
#include "files/file_system.h"

// Windows leaves wildcards to the program: the C library expands "Motions\*.bvh" into the files it
// names before wmain starts, as a shell on other systems would.
extern "C" {
int _dowildcard = -1;
}

// Windows hands main() its arguments in the ANSI code page, which cannot hold every file name;
// wmain gets them whole, as UTF-16. The pages are not drawn here: the Windows build has no Qt, so
// --graphs is refused.
int wmain(int argc, wchar_t** argv) {
  zev::prepareStandardOutput();
  std::vector<std::string> arguments = zev::utf8Arguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  zev::StandardStreamBuffer outBuffer(stdout);
  zev::StandardStreamBuffer errBuffer(stderr);
  std::ostream out(&outBuffer);
  std::ostream err(&errBuffer);
  const int status = zev::runConvertCommand(argc, pointers.data(), out, err);
  out.flush();
  err.flush();
  return status;
}
