// What the user's guide and the README state that the machine can check: the numeric bounds
// against the program's own tables, and every console example against what zev-convert prints.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "analysis/effect_parameters.h"
#include "bvh/bvh_reader.h"
#include "store/motion_store.h"
#include "support/test_motion.h"
#include "support/test_support.h"

namespace zev {
namespace {

const std::filesystem::path ROOT = ZEV_SOURCE_DIR;

std::string guide() { return test::readWholeFile(ROOT / "docs/guide.md"); }

// The guide's text with its line breaks and emphasis taken out, so that a claim reads the same
// wherever the paragraph happens to wrap.
std::string flowingGuide() {
  std::string text = std::regex_replace(guide(), std::regex("\\s+"), " ");
  return std::regex_replace(text, std::regex("\\*\\*"), "");
}

std::vector<std::string> matchesOf(const std::string& text, const std::string& pattern) {
  const std::regex expression(pattern);
  std::smatch match;
  if (!std::regex_search(text, match, expression)) return {};
  return {match.begin() + 1, match.end()};
}

BvhReadStatus readWithFrameTime(const std::string& frameTime) {
  BvhReader reader;
  const auto motion = std::make_unique<Motion>();
  return reader.readBytes(test::TestMotion(MIN_FRAMES, frameTime).text(), *motion).status;
}

TEST(GuideClaims, FrameAndFrameTimeBoundsAreTheReaders) {
  const std::string text = flowingGuide();
  const auto frames = matchesOf(text, "A motion has (\\d+) to (\\d+) frames");
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(std::stoi(frames[0]), MIN_FRAMES);
  EXPECT_EQ(std::stoi(frames[1]), MAX_FRAMES);

  // The printed bounds are accepted and their five-decimal neighbours outside them refused.
  const auto times = matchesOf(text,
                               "with five decimals is (0\\.\\d{5}) to (0\\.\\d{5}) \\((0\\.\\d{5}) "
                               "and (0\\.\\d{5}) are refused\\)");
  ASSERT_EQ(times.size(), 4u);
  EXPECT_EQ(readWithFrameTime(times[0]), BvhReadStatus::Ok) << times[0];
  EXPECT_EQ(readWithFrameTime(times[1]), BvhReadStatus::Ok) << times[1];
  EXPECT_EQ(readWithFrameTime(times[2]), BvhReadStatus::FpsRange) << times[2];
  EXPECT_EQ(readWithFrameTime(times[3]), BvhReadStatus::FpsRange) << times[3];
  const auto fiveDecimals = [](const std::string& t) { return std::lround(std::stod(t) * 1e5); };
  EXPECT_EQ(fiveDecimals(times[2]), fiveDecimals(times[0]) - 1);
  EXPECT_EQ(fiveDecimals(times[3]), fiveDecimals(times[1]) + 1);
}

TEST(GuideClaims, EachSettingsHeadingGivesItsRangeAndDefault) {
  const std::string text = guide();
  for (const ParameterRow& row : PARAMETER_TABLE) {
    SCOPED_TRACE(std::string(row.label));
    const auto bounds =
        matchesOf(text, "\n### " + std::string(row.label) + ": (\\d+) to (\\d+), default (\\d+), " +
                            (row.movieOnly ? "movie mode only" : "both modes") + "\n");
    ASSERT_EQ(bounds.size(), 3u);
    EXPECT_EQ(std::stoi(bounds[0]), row.range.minimum);
    EXPECT_EQ(std::stoi(bounds[1]), row.range.maximum);
    EXPECT_EQ(std::stoi(bounds[2]), row.range.defaultValue);
  }
}

// A console example: the commands after "$ " and, below each, the lines it prints.
struct Example {
  std::string command;
  std::vector<std::string> shown;
};

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// The console blocks of a document, one list of examples per block. A fenced block of another kind
// that starts a line with the command would be an example that nothing runs: it fails the test.
std::vector<std::vector<Example>> consoleBlocks(const std::filesystem::path& document) {
  std::vector<std::vector<Example>> blocks;
  bool inFence = false;
  bool console = false;
  for (const std::string& line : linesOf(test::readWholeFile(document))) {
    if (line.starts_with("```")) {
      console = !inFence && line == "```console";
      if (console) blocks.emplace_back();
      inFence = !inFence;
    } else if (inFence && console) {
      if (line.starts_with("$ ")) {
        blocks.back().push_back({line.substr(2), {}});
      } else if (!blocks.back().empty()) {
        blocks.back().back().shown.push_back(line);
      }
    } else if (inFence) {
      EXPECT_FALSE(line.starts_with("zev-convert ")) << document << ": " << line;
    }
  }
  return blocks;
}

// What the command prints on standard output when run by the shell in folder.
std::string standardOutputOf(const std::string& command, const std::filesystem::path& folder) {
  const std::string converterFolder = std::filesystem::path(ZEV_CONVERT_PATH).parent_path();
  const std::string line =
      "cd '" + folder.string() + "' && PATH='" + converterFolder + "':\"$PATH\" && " + command;
  std::FILE* pipe = popen(line.c_str(), "r");
  if (pipe == nullptr) return "";
  std::string output;
  std::array<char, 4096> chunk;
  for (std::size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0;) {
    output.append(chunk.data(), n);
  }
  EXPECT_EQ(pclose(pipe), 0) << command;
  return output;
}

TEST(GuideClaims, EveryConsoleExampleRunsAndPrintsWhatItShows) {
  int examples = 0;
  for (const char* document : {"README.md", "docs/guide.md"}) {
    for (const auto& block : consoleBlocks(ROOT / document)) {
      // Each block runs in a folder of its own: the samples, and two motions in shots/.
      const test::TempDir folder;
      const std::string sample = test::readWholeFile(ROOT / "examples/walk.bvh");
      folder.write("walk.bvh", sample);
      folder.write("walk-cycle.bvh", test::readWholeFile(ROOT / "examples/walk-cycle.bvh"));
      std::filesystem::create_directory(folder.path() / "shots");
      folder.write("shots/walk.bvh", sample);
      folder.write("shots/jump.bvh",
                   test::readWholeFile(test::dataPath("86_05_jumping_jacks.bvh")));
      for (const Example& example : block) {
        SCOPED_TRACE(std::string(document) + ": $ " + example.command);
        ++examples;
        const std::vector<std::string> printed =
            linesOf(standardOutputOf(example.command, folder.path()));
        ASSERT_FALSE(example.shown.empty()) << "an example shows what it prints";
        ASSERT_FALSE(printed.empty());
        EXPECT_EQ(printed[0], example.shown[0]);
        // The further lines shown stand in the output in that order; the document may leave some
        // out.
        std::size_t next = 1;
        for (std::size_t s = 1; s < example.shown.size(); ++s) {
          while (next < printed.size() && printed[next] != example.shown[s]) ++next;
          EXPECT_LT(next, printed.size()) << "not printed: " << example.shown[s];
          ++next;
        }
      }
    }
  }
  EXPECT_GE(examples, 5);
}

}  // namespace
}  // namespace zev
