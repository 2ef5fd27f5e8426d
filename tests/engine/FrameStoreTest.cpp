// The store of remembered frames and the run's use of it: what finds a frame
// again, which frames stand on a photo, and stores that cannot be used.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/FrameStore.h"
#include "tests/support/Batch.h"
#include "tests/support/TestPictures.h"

namespace {

using batchfit::FramedPart;
using batchfit::FrameStore;
using batchfit::PhotoFrame;
using enginetest::Batch;
using enginetest::EditorAnswer;

// The remembered frames each show was given, as the store holds them, to
// compare in one check.
std::vector<std::optional<PhotoFrame>> shown(const enginetest::FakeFrontEnd& editor) {
  std::vector<std::optional<PhotoFrame>> rows;
  for (const std::optional<FramedPart>& part : editor.rememberedFrames) {
    rows.emplace_back();
    if (!part) continue;
    const batchfit::SurfaceRect& f = part->frame;
    rows.back() = PhotoFrame{f.left, f.top, f.width(), f.height(), part->turned};
  }
  return rows;
}
using Shown = std::vector<std::optional<PhotoFrame>>;

class FrameStoreTest : public testing::Test {
 protected:
  // An edit-all batch of the window with "Remember Frames", on this store.
  void remembering(Batch& batch, batchfit::FrameMemory use = batchfit::FrameMemory::Edit) const {
    batch.settings.mode = batchfit::Mode::EditAll;
    batch.settings.rememberFrames = use;
    batch.settings.framesFile = path;
  }
  std::string notUsed(const std::string& why) const {
    return "The remembered frames are not used for the rest of this run: \"" + path + "\" " + why;
  }

  testpics::TempDir dir;
  std::string path = dir.file("store/frames.sqlite");
};

TEST_F(FrameStoreTest, AFrameComesUpAgainForTheSameBytesAndShapeOnly) {
  Batch first;
  remembering(first);
  const std::string photo = first.addJpeg("a.jpg", 300, 400);
  first.frontEnd.script(EditorAnswer::confirm({10, 20, 250, 320}));
  first.run();
  EXPECT_EQ(shown(first.frontEnd), Shown(1));

  std::vector<std::uint8_t> changed = testpics::readFile(photo);
  changed[15] ^= 1;  // the JFIF header's density: the photo decodes as before
  Batch next;
  remembering(next);
  next.settings.targetWidth = 240;  // 240 x 300: the same shape as 176 x 220
  next.settings.targetHeight = 300;
  next.addFile("renamed.jpg", testpics::readFile(photo));
  next.addFile("changed.jpg", changed);
  next.frontEnd.script(EditorAnswer::skipIt());
  next.frontEnd.script(EditorAnswer::skipIt());
  next.run();
  EXPECT_EQ(shown(next.frontEnd), (Shown{PhotoFrame{10, 20, 240, 300, false}, std::nullopt}));

  Batch otherShape;
  remembering(otherShape);
  otherShape.settings.targetHeight = 230;
  otherShape.addFile("renamed.jpg", testpics::readFile(photo));
  otherShape.frontEnd.script(EditorAnswer::skipIt());
  otherShape.run();
  EXPECT_EQ(shown(otherShape.frontEnd), Shown(1));
  EXPECT_EQ(batchfit::shapeText(176, 220), "4:5");
}

TEST_F(FrameStoreTest, AFrameStandsOnlyInsideThePhotoAtTheTargetsSizeAndProportions) {
  const batchfit::JobSettings settings;
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
}

TEST_F(FrameStoreTest, ADamagedStoreIsToldOfOnceAndTheRunIsThatWithoutIt) {
  std::filesystem::create_directories(dir.path() / "store");
  const std::vector<std::uint8_t> damaged(4096, 'x');
  testpics::writeFile(path, damaged);
  Batch with, without;
  remembering(with);
  for (Batch* batch : {&with, &without}) {
    batch->settings.mode = batchfit::Mode::EditAll;
    batch->addJpeg("a.jpg", 300, 400);
    batch->addJpeg("b.jpg", 400, 500);
    batch->frontEnd.script(EditorAnswer::confirm({0, 0, 240, 300}));
    batch->frontEnd.script(EditorAnswer::confirm({8, 8, 352, 440}));
    batch->run();
  }
  EXPECT_EQ(with.frontEnd.warnings,
            std::vector<std::string>{notUsed("is damaged (file is not a database)")});
  EXPECT_EQ(shown(with.frontEnd), Shown(2));
  EXPECT_EQ(with.outputs(), without.outputs());
  for (const std::string& name : with.outputs()) {
    EXPECT_EQ(testpics::readFile(with.output(name)), testpics::readFile(without.output(name)));
  }
  EXPECT_EQ(testpics::readFile(path), damaged);
}

TEST_F(FrameStoreTest, AStoreLockedTooLongIsToldOfAndLosesNoFrame) {
  Batch batch;
  remembering(batch);
  const batchfit::FrameKey key{
      batchfit::photoDigest(testpics::readFile(batch.addJpeg("a.jpg", 300, 400))), "4:5", false};
  const PhotoFrame stored{0, 0, 176, 220, false};
  FrameStore(path, FrameStore::Access::ReadWrite).save(key, stored);
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other,
                         "BEGIN IMMEDIATE; INSERT INTO frames VALUES"
                         " ('other', '4:5', 0, 1, 1, 176, 220, 0, '2026-01-01T00:00:00Z')",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  batch.frontEnd.script(EditorAnswer::confirm({2, 2, 178, 222}));
  batch.run();
  // Readers never wait for a writer: the frame came up; storing the new one waited.
  EXPECT_EQ(shown(batch.frontEnd), Shown{stored});
  EXPECT_EQ(batch.frontEnd.warnings,
            std::vector<std::string>{notUsed("was kept locked by another program for more than 3 "
                                             "seconds")});
  EXPECT_EQ(batch.outputs(), std::vector<std::string>{"a.jpg"});
  ASSERT_EQ(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(other);

  FrameStore store(path, FrameStore::Access::ReadOnly);
  EXPECT_EQ(store.find(key), stored);
  EXPECT_EQ(store.find({"other", "4:5", false}), (PhotoFrame{1, 1, 176, 220, false}));
}

TEST_F(FrameStoreTest, TwoProgramsStoringAtOnceLoseNothing) {
  constexpr int Frames = 80;
  batchfit::JobSettings settings;
  settings.rememberFrames = batchfit::FrameMemory::Edit;
  settings.framesFile = path;
  std::vector<pid_t> children;
  for (const std::string program : {"one", "two"}) {
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      bool warned = false;
      batchfit::RememberedFrames frames(settings, [&](const std::string&) { warned = true; });
      for (int i = 0; i < Frames; ++i) {
        frames.remember({program + std::to_string(i), "4:5", false}, {{i, 0, i + 176, 220}, false},
                        400, 400);
      }
      _exit(warned ? 1 : 0);
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
