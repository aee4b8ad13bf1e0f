#pragma once

#include <cstdio>
#include <streambuf>
#include <string>
#include <vector>

// zev-convert's text on Windows. Inside the program every file name and message is UTF-8, as on
// other systems; Windows hands the arguments over as UTF-16 and shows a console's text in UTF-16.

namespace zev {

// The program's arguments as UTF-8, from the UTF-16 ones Windows gives wmain.
std::vector<std::string> utf8Arguments(int argc, const wchar_t* const* argv);

// What no shell does on Windows: the files that the wildcards (* and ?) of a name's last part
// match, in the order of their names, each after the name's folder part as it was given. A name
// without wildcards, or whose wildcards match nothing, stands for itself. Only names of inputs
// are expanded: an option's value is one file.
std::vector<std::string> namesMatching(const std::string& name);

// Standard output or standard error for a std::ostream. The text is kept until a flush and then
// sent whole: to a console as UTF-16, so that every file name shows as it is whatever the
// console's code page; anywhere else (a pipe, a file) as the UTF-8 bytes themselves, in binary
// mode, so that a line ends in a line feed alone, as on other systems. A failed write fails the
// flush, with "Broken pipe" when the reader of a pipe has gone, as on other systems.
class StandardStreamBuffer final : public std::streambuf {
 public:
  // stream is stdout or stderr; it is switched to binary mode.
  explicit StandardStreamBuffer(std::FILE* stream);

 protected:
  int_type overflow(int_type character) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  std::FILE* stream_;
  void* console_;  // the console's handle, or null when the stream goes elsewhere
  std::string pending_;
};

}  // namespace zev
