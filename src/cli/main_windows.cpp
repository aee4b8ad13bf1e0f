#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "cli/console_windows.h"
#include "cli/convert_command.h"
#include "cli/stop_watch.h"
#include "files/file_system.h"

// Windows hands main() its arguments in the ANSI code page, which cannot hold every file name;
// wmain gets them whole, as UTF-16. The pages are not drawn here: the Windows build has no Qt, so
// --graphs is refused.
int wmain(int argc, wchar_t** argv) {
  zev::prepareStandardOutput();
  zev::SaveRegistry saves;
  const zev::StopWatch stops(saves);
  std::vector<std::string> arguments = zev::utf8Arguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  zev::StandardStreamBuffer outBuffer(stdout);
  zev::StandardStreamBuffer errBuffer(stderr);
  std::ostream out(&outBuffer);
  std::ostream err(&errBuffer);
  // Windows leaves wildcards to the program: "Motions\*.bvh" names the files it matches, as a
  // shell on other systems would expand it, but "-o *.pz2" names one file.
  const zev::ConverterFeatures features{.inputsMatching = zev::namesMatching, .saves = &saves};
  const int status = zev::runConvertCommand(argc, pointers.data(), out, err, features);
  out.flush();
  err.flush();
  return status;
}
