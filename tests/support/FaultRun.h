// The frame of every fault case: a run through runBatch over files in a fresh
// folder, its outcome, and the checks the cases share (where the run stopped,
// what it left in the output folder, and that a run afterwards still works).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "engine/JobSettings.h"
#include "engine/Run.h"
#include "tests/support/FakeFrontEnd.h"
#include "tests/support/TestPictures.h"

namespace faults {

using Bytes = std::vector<std::uint8_t>;

// A picture of the target's own proportions, so the default mode scales it
// straight, without the crop editor; seed varies its pixels.
Bytes goodJpeg(int seed = 0);
// A picture smaller than the target, which the run only reports.
Bytes smallJpeg();

// A JPEG read back with libjpeg itself, counting its warnings (a file cut
// short or damaged warns; a complete one does not).
struct StrictRead {
  bool ok = false;
  int width = 0;
  int height = 0;
  long warnings = 0;
};
StrictRead readStrictly(const Bytes& jpeg);

struct Outcome {
  bool failed = false;
  std::string message;
  enginetest::FakeFrontEnd frontEnd;
  batchfit::RunRecord record;
};

// Parameter: the pictures decoded ahead at once (1 reads one file at a time);
// every fault must look the same either way.
class FaultRunTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override;

  // Writes in/name and gives its full path.
  std::string input(const std::string& name, const Bytes& bytes) const;
  // Default settings over files, writing into out/ in the given format.
  batchfit::JobSettings settings(
      const std::vector<std::string>& files,
      batchfit::SaveFormat saveFormat = batchfit::SaveFormat::Jpeg) const;
  // The run, with the error that ended it, if any.
  Outcome run(const batchfit::JobSettings& settings);

  // The names in out/, and one file's bytes.
  std::set<std::string> outputs() const;
  Bytes output(const std::string& name) const;
  // What a run over this one input alone writes (into a folder of its own).
  Bytes referenceOutput(const std::string& inputPath,
                        batchfit::SaveFormat saveFormat = batchfit::SaveFormat::Jpeg);

  // The run ended with exactly this message, with this label the last one
  // shown, and without showing its report.
  static void expectStopped(const Outcome& outcome, const std::string& message,
                            const std::string& lastLabel);
  // A run over a good picture, after the fault, writes its output in full.
  void expectGoodRunAfterwards();
  // Runs body in a child process, which may change what this process must
  // not (its user, its mounts). The body's checks count for this test; a body
  // that skips skips the test.
  void inChild(const std::function<void()>& body);

  testpics::TempDir root;
  std::filesystem::path in;
  std::filesystem::path out;
  // Held across runs, as the main window holds them.
  batchfit::WorkPictures pictures;
};

}  // namespace faults
