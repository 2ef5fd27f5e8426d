// The store of remembered frames and a run's use of it: what finds a frame
// again, which frames stand on a photo, and stores that cannot be used.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/FrameStore.h"
#include "tests/support/TestPictures.h"

namespace {

using batchfit::FrameKey;
using batchfit::FrameStore;
using batchfit::JobSettings;
using batchfit::PhotoFrame;

class FrameStoreTest : public testing::Test {
 protected:
  FrameStoreTest() {
    settings.rememberFrames = batchfit::FrameMemory::Edit;
    settings.framesFile = path;
  }

  batchfit::RememberedFrames frames() {
    return {settings, [this](const std::string& text) { warnings.push_back(text); }};
  }
  std::string notUsed(const std::string& why) const {
    return "The remembered frames are not used for the rest of this run: \"" + path + "\" " + why;
  }

  testpics::TempDir dir;
  std::string path = dir.file("store/frames.sqlite");
  JobSettings settings;
  std::vector<std::string> warnings;
};

TEST_F(FrameStoreTest, AFrameIsFoundByThePhotosBytesAndTheTargetsShape) {
  const std::vector<std::uint8_t> photo = testpics::makeJpeg(300, 400);
  const PhotoFrame frame{10, 20, 240, 300, false};
  frames().remember(batchfit::frameKeyOf(batchfit::photoDigest(photo), settings, 1), frame);

  testpics::writeFile(dir.file("copy.jpg"), photo);
  std::vector<std::uint8_t> changed = photo;
  changed[changed.size() / 2] ^= 1;
  batchfit::RememberedFrames later = frames();
  const auto recall = [&](const std::vector<std::uint8_t>& bytes, int orientation) {
    return later.recall(batchfit::frameKeyOf(batchfit::photoDigest(bytes), settings, orientation),
                        300, 400);
  };
  EXPECT_EQ(recall(testpics::readFile(dir.file("copy.jpg")), 1), frame);
  EXPECT_EQ(recall(changed, 1), std::nullopt);
  EXPECT_EQ(recall(photo, 6), std::nullopt);  // framed as stored, not turned upright
  settings.targetWidth = 240;                 // 240 x 300: the same shape
  settings.targetHeight = 300;
  EXPECT_EQ(recall(photo, 1), frame);
  settings.targetHeight = 320;  // 3:4
  EXPECT_EQ(recall(photo, 1), std::nullopt);
  EXPECT_EQ(batchfit::shapeText(176, 220), "4:5");
  EXPECT_TRUE(warnings.empty());
}

TEST_F(FrameStoreTest, AFrameStandsOnlyInsideThePhotoAndInTheTargetsProportions) {
  const auto usable = [&](PhotoFrame frame) {
    return batchfit::frameUsable(frame, 300, 400, settings);
  };
  EXPECT_TRUE(usable({124, 180, 176, 220, false}));
  EXPECT_FALSE(usable({125, 180, 176, 220, false}));
  EXPECT_FALSE(usable({124, 181, 176, 220, false}));
  EXPECT_FALSE(usable({-1, 0, 176, 220, false}));
  // 178 * 5 / 4 = 222.5: either neighbour is a rounding of it, one further is not.
  EXPECT_TRUE(usable({0, 0, 178, 222, false}));
  EXPECT_TRUE(usable({0, 0, 178, 223, false}));
  EXPECT_FALSE(usable({0, 0, 178, 224, false}));
  EXPECT_FALSE(usable({0, 0, 178, 221, false}));
  // 177 * 5 / 4 = 221.25.
  EXPECT_TRUE(usable({0, 0, 177, 221, false}));
  EXPECT_FALSE(usable({0, 0, 177, 222, false}));
  EXPECT_TRUE(usable({0, 0, 220, 176, true}));
  EXPECT_FALSE(usable({0, 0, 220, 176, false}));
  // Never smaller than the target: 172 * 5 / 4 = 215.
  EXPECT_FALSE(usable({0, 0, 172, 215, false}));
  settings.targetWidth = 0;
  EXPECT_FALSE(usable({0, 0, 176, 220, false}));
}

TEST_F(FrameStoreTest, ADamagedStoreIsToldOfOnceAndLeftAsItIs) {
  std::filesystem::create_directories(dir.path() / "store");
  const std::vector<std::uint8_t> damaged(4096, 'x');
  testpics::writeFile(path, damaged);
  batchfit::RememberedFrames run = frames();
  const FrameKey key{"ab", "4:5", false};
  EXPECT_EQ(run.recall(key, 300, 400), std::nullopt);
  run.remember(key, {0, 0, 176, 220, false});
  EXPECT_EQ(run.recall(key, 300, 400), std::nullopt);
  EXPECT_EQ(warnings, std::vector<std::string>{notUsed("is damaged (file is not a database)")});
  EXPECT_FALSE(run.inUse());
  EXPECT_EQ(testpics::readFile(path), damaged);
}

TEST_F(FrameStoreTest, AStoreLockedTooLongIsToldOfAndLosesNoFrame) {
  const PhotoFrame first{0, 0, 176, 220, false};
  frames().remember({"first", "4:5", false}, first);
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other,
                         "BEGIN IMMEDIATE; INSERT INTO frames VALUES"
                         " ('other', '4:5', 0, 1, 1, 176, 220, 0, '2026-01-01T00:00:00Z')",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  batchfit::RememberedFrames run = frames();
  // Readers never wait for a writer.
  EXPECT_EQ(run.recall({"first", "4:5", false}, 300, 400), first);
  run.remember({"mine", "4:5", false}, {2, 2, 176, 220, false});
  EXPECT_EQ(warnings, std::vector<std::string>{
                          notUsed("was kept locked by another program for more than 3 seconds")});
  ASSERT_EQ(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(other);

  FrameStore store(path, FrameStore::Access::ReadOnly);
  EXPECT_EQ(store.find({"first", "4:5", false}), first);
  EXPECT_EQ(store.find({"other", "4:5", false}), (PhotoFrame{1, 1, 176, 220, false}));
  EXPECT_EQ(store.find({"mine", "4:5", false}), std::nullopt);
}

TEST_F(FrameStoreTest, TwoProgramsStoringAtOnceLoseNothing) {
  constexpr int Frames = 80;
  std::vector<pid_t> children;
  for (const std::string program : {"one", "two"}) {
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      batchfit::RememberedFrames run = frames();
      for (int i = 0; i < Frames; ++i) {
        run.remember({program + std::to_string(i), "4:5", false}, {i, 0, 176, 220, false});
      }
      _exit(warnings.empty() ? 0 : 1);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  FrameStore store(path, FrameStore::Access::ReadOnly);
  for (const std::string program : {"one", "two"}) {
    for (int i = 0; i < Frames; ++i) {
      EXPECT_EQ(store.find({program + std::to_string(i), "4:5", false}),
                (PhotoFrame{i, 0, 176, 220, false}));
    }
  }
}

}  // namespace
