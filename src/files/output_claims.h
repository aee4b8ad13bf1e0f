#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <variant>

#include "files/file_system.h"

// Which files the outputs of a run would write, decided before anything is written, so that no
// output lands on an input of the run and no two outputs write the same file. Files that exist are
// compared by their identity, which sees through links, hard links and spellings of a folder;
// files still to be created by the absolute path they would get, as the file system compares names
// (without regard to case on Windows). The null device takes any number of outputs.

namespace zev {

// Who already holds a file that an output would write.
struct ClaimHolder {
  std::string path;   // the input, or the earlier output, as it was named
  std::string owner;  // the input the earlier output belongs to; empty when path is an input
};

// What a claim comes to: granted, or refused because holder already has the file.
struct ClaimResult {
  bool granted = true;
  ClaimHolder holder;  // only for a refused claim
};

class OutputClaims {
 public:
  // An input of the run: no output may write it. An input that does not exist needs no guard.
  void addInput(const std::filesystem::path& input);
  // Claims the file that a save to output would write for the input owner. When an input of the
  // run or an earlier claim already holds that file, the claim is refused and names the holder. A
  // device or FIFO is claimed like a file.
  [[nodiscard]] ClaimResult claim(const std::filesystem::path& output, const std::string& owner);

 private:
  using FileKey = std::variant<FileIdentity, std::filesystem::path>;

  std::map<FileKey, ClaimHolder> holders_;
};

}  // namespace zev
