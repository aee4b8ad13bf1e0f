#include "files/file_problem.h"

#include <string>

namespace zev {

namespace {

class FileProblemCategory final : public std::error_category {
 public:
  const char* name() const noexcept override { return "zev file"; }
  std::string message(int problem) const override {
    switch (static_cast<FileProblem>(problem)) {
      case FileProblem::readOnly:
        return "the file is read-only";
      case FileProblem::inUse:
        return "the file is in use by another program";
    }
    return "unknown problem";
  }
};

const FileProblemCategory FILE_PROBLEMS;

}  // namespace

std::error_code make_error_code(FileProblem problem) {
  return {static_cast<int>(problem), FILE_PROBLEMS};
}

}  // namespace zev
