#include "files/output_claims.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace zev {
namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr bool NAMES_IGNORE_CASE = true;
const std::string NULL_DEVICE = "NUL";
#else
constexpr bool NAMES_IGNORE_CASE = false;
const std::string NULL_DEVICE = "/dev/null";
#endif

// The test's folder as the working folder, for names as a user types them.
class WorkingFolder {
 public:
  explicit WorkingFolder(const fs::path& folder) : previous_(fs::current_path()) {
    fs::current_path(folder);
  }
  ~WorkingFolder() { fs::current_path(previous_); }

 private:
  fs::path previous_;
};

// Each case: the files and links made first, the inputs, then the outputs claimed in turn for the
// input "run.bvh", by names relative to the folder; the holder expected for each claim, "" where
// the claim succeeds. Where the system makes no links (the Windows build), the cases with a link
// have nothing to claim.
TEST(OutputClaims, FindsEveryNameOfOneFile) {
  const struct {
    const char* name;
    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
    std::vector<std::string> holders;
    bool throughLink = false;
  } cases[] = {
      {"an input as the output", {"walk.bvh"}, {"walk.bvh"}, {"walk.bvh"}},
      {"an input by a link", {"walk.bvh"}, {"link-to-walk.bvh"}, {"walk.bvh"}, true},
      {"an input by a hard link", {"walk.bvh"}, {"hard-walk.pz2"}, {"walk.bvh"}},
      {"a new file twice", {"walk.bvh"}, {"walk.pz2", "./walk.pz2"}, {"", "walk.pz2"}},
      {"a new file by three spellings",
       {},
       {"new.pz2", "poses/../new.pz2", "./new.pz2"},
       {"", "new.pz2", "new.pz2"}},
      {"names that differ in case",
       {},
       {"new.pz2", "NEW.pz2"},
       {"", NAMES_IGNORE_CASE ? "new.pz2" : ""}},
      {"the null device for every output", {}, {NULL_DEVICE, NULL_DEVICE}, {"", ""}},
      {"a new file through a linked folder",
       {},
       {"poses/new.pz2", "same/poses/new.pz2"},
       {"", "poses/new.pz2"},
       true},
      {"a new file and a dangling link to it",
       {},
       {"poses/new.pz2", "dangling.pz2"},
       {"", "poses/new.pz2"},
       true},
      {"different files", {"walk.bvh"}, {"walk.pz2", "walk.csv", "poses/walk.pz2"}, {"", "", ""}},
      {"a missing input guards nothing", {"gone.bvh"}, {"gone.bvh"}, {""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    const fs::path& d = dir.path();
    dir.write("walk.bvh", "motion");
    fs::create_directory(d / "poses");
    fs::create_hard_link(d / "walk.bvh", d / "hard-walk.pz2");
    std::error_code noLinks;
    fs::create_symlink("walk.bvh", d / "link-to-walk.bvh", noLinks);
    if (noLinks && c.throughLink) continue;
    if (!noLinks) {
      fs::create_directory_symlink(".", d / "same");
      fs::create_symlink("poses/new.pz2", d / "dangling.pz2");
    }

    const WorkingFolder working(d);
    OutputClaims claims;
    for (const std::string& input : c.inputs) claims.addInput(input);
    for (std::size_t i = 0; i < c.outputs.size(); ++i) {
      const ClaimResult claim = claims.claim(c.outputs[i], "run.bvh");
      SCOPED_TRACE(c.outputs[i]);
      if (c.holders[i].empty()) {
        EXPECT_TRUE(claim.granted) << claim.holder.path;
        continue;
      }
      ASSERT_FALSE(claim.granted);
      EXPECT_EQ(claim.holder.path, c.holders[i]);
      const bool heldByInput = c.holders[i] == "walk.bvh";
      EXPECT_EQ(claim.holder.owner, heldByInput ? "" : "run.bvh");
    }
  }
}

}  // namespace
}  // namespace zev
