// Outputs that cannot be written: the run stops at the right file with the
// exact message, the earlier outputs stay intact, nothing short is left
// behind as if written, and the next run works.
#include <grp.h>
#include <jerror.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "tests/support/CraftedFiles.h"
#include "tests/support/Errors.h"
#include "tests/support/FaultRun.h"

namespace faults {
namespace {

namespace fs = std::filesystem;

struct Format {
  batchfit::SaveFormat saveFormat;
  const char* extension;
};
constexpr Format Formats[] = {{batchfit::SaveFormat::Jpeg, ".jpg"},
                              {batchfit::SaveFormat::Bmp, ".bmp"}};

// Users other than root, who passes every check of sticky folders: one owns
// the files the cases plant, the other runs the batch where it must be
// someone else.
constexpr uid_t OtherUser = 65533;
constexpr uid_t ThirdUser = 65534;

void becomeUser(uid_t user) {
  ASSERT_EQ(setgroups(0, nullptr), 0);
  ASSERT_EQ(setgid(user), 0);
  ASSERT_EQ(setuid(user), 0);
}

struct stat statOf(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
  return info;
}

void giveTo(const fs::path& path, uid_t user, fs::perms mode) {
  fs::permissions(path, mode);
  ASSERT_EQ(lchown(path.c_str(), user, user), 0);
}

class OutputFaults : public FaultRunTest {
 protected:
  // first, small, second, third: the fault is set up at second's output.
  Outcome runFour(batchfit::SaveFormat saveFormat) {
    first = input("first.jpg", goodJpeg(1));
    return run(settings({first, input("small.jpg", smallJpeg()), input("second.jpg", goodJpeg(2)),
                         input("third.jpg", goodJpeg(3))},
                        saveFormat));
  }

  std::string outputPath(const std::string& stem, const Format& format) const {
    return (out / (stem + format.extension)).string();
  }

  // first's output is there, exactly as a run over first alone writes it.
  void expectFirstIntact(const Format& format) {
    EXPECT_EQ(output(std::string("first") + format.extension),
              referenceOutput(first, format.saveFormat));
    EXPECT_FALSE(fs::exists(outputPath("third", format)));
  }

  std::string first;
};

TEST_P(OutputFaults, MissingOutputFolderStopsTheRunAtTheFirstWrite) {
  fs::remove(out);
  for (const Format& format : Formats) {
    SCOPED_TRACE(format.extension);
    const Outcome outcome =
        run(settings({input("small.jpg", smallJpeg()), input("first.jpg", goodJpeg(1)),
                      input("second.jpg", goodJpeg(2))},
                     format.saveFormat));
    expectStopped(
        outcome,
        "Cannot create file \"" + outputPath("first", format) + "\". No such file or directory",
        "Picture 2 of 3");
    EXPECT_FALSE(fs::exists(out));
  }
  expectGoodRunAfterwards();
}

TEST_P(OutputFaults, OutputPathThatIsAFolderStopsTheRunAtIt) {
  for (const Format& format : Formats) {
    SCOPED_TRACE(format.extension);
    fs::create_directory(outputPath("second", format));
    const Outcome outcome = runFour(format.saveFormat);
    expectStopped(outcome,
                  "Cannot create file \"" + outputPath("second", format) + "\". Is a directory",
                  "Picture 3 of 4");
    expectFirstIntact(format);
    EXPECT_TRUE(fs::is_empty(outputPath("second", format)));
  }
  expectGoodRunAfterwards();
}

// The output name is made from the input's own name, so the full device is
// reached through a link in the output folder.
TEST_P(OutputFaults, FullDeviceStopsTheRunWithAWriteError) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  for (const Format& format : Formats) {
    SCOPED_TRACE(format.extension);
    fs::create_symlink("/dev/full", outputPath("second", format));
    const Outcome outcome = runFour(format.saveFormat);
    expectStopped(outcome, "Stream write error", "Picture 3 of 4");
    expectFirstIntact(format);
    // Whatever is left at that name is not a short file passing for an output.
    EXPECT_FALSE(fs::is_regular_file(fs::symlink_status(outputPath("second", format))));
  }
  expectGoodRunAfterwards();
}

// A new file the disk could not take in full is removed, not left short.
TEST_P(OutputFaults, FullDiskLeavesNoShortOutputBehind) {
  const std::string small = input("small.jpg", smallJpeg());
  const std::string second = input("second.jpg", goodJpeg(2));
  for (const Format& format : Formats) {
    SCOPED_TRACE(format.extension);
    Outcome outcome;
    {
      const testpics::FileSizeCap cap(1000);
      outcome = run(settings({small, second}, format.saveFormat));
    }
    expectStopped(outcome, "Stream write error", "Picture 2 of 2");
    EXPECT_TRUE(outputs().empty());
  }
  expectGoodRunAfterwards();
}

// The desktop's trash, emptied; or blocked, so that it can take nothing.
void emptyTrash() {
  fs::remove_all(testpics::trashFolder());
}
void blockTrash() {
  emptyTrash();
  testpics::writeFile(testpics::trashFolder(), {});
}

// An output that replaces a listed photo moves the photo to the trash first,
// and is written exactly as before.
TEST_P(OutputFaults, JpegOutputReplacingItsOwnInputMovesItToTheTrash) {
  emptyTrash();
  const Bytes picture = goodJpeg(4);
  const Bytes expected = referenceOutput(input("own.jpg", picture));
  testpics::writeFile(out / "own.jpg", picture);
  first = input("first.jpg", goodJpeg(1));
  const Outcome outcome = run(settings({first, (out / "own.jpg").string()}));
  EXPECT_FALSE(outcome.failed) << outcome.message;
  EXPECT_EQ(outcome.record.photosTrashed(), 1);
  EXPECT_EQ(output("own.jpg"), expected);
  expectFirstIntact(Formats[0]);
  EXPECT_EQ(testpics::readFile(testpics::trashFolder() / "files/own.jpg"), picture);
  const Bytes info = testpics::readFile(testpics::trashFolder() / "info/own.jpg.trashinfo");
  EXPECT_NE(std::string(info.begin(), info.end()).find("\nPath=" + (out / "own.jpg").string()),
            std::string::npos);
  expectGoodRunAfterwards();
}

// A full disk never loses a listed photo that an output replaces: it is in
// the trash, or where the trash can take nothing, still in its place.
TEST_P(OutputFaults, FullDiskKeepsTheListedPhotoAnOutputWouldReplace) {
  const Bytes picture = goodJpeg(5);
  const std::string own = (out / "own.jpg").string();
  const auto runCapped = [&] {
    testpics::writeFile(own, picture);
    const testpics::FileSizeCap cap(1000);
    return run(settings({own}));
  };
  emptyTrash();
  expectStopped(runCapped(), "Stream write error", "Picture 1 of 1");
  EXPECT_TRUE(outputs().empty());
  EXPECT_EQ(testpics::readFile(testpics::trashFolder() / "files/own.jpg"), picture);

  blockTrash();
  const Outcome outcome = runCapped();
  EXPECT_EQ(
      outcome.message.rfind("Cannot replace photo \"" + own + "\": the trash cannot take it (", 0),
      0u)
      << outcome.message;
  EXPECT_TRUE(outcome.message.ends_with("), and a new file cannot take its place (File too large)"))
      << outcome.message;
  EXPECT_EQ(output("own.jpg"), picture);
  EXPECT_EQ(outputs(), std::set<std::string>{"own.jpg"});
  // With room, a new file takes its place all the same.
  const Outcome roomy = run(settings({own}));
  EXPECT_FALSE(roomy.failed) << roomy.message;
  // Replaced whole, not moved to the trash.
  EXPECT_EQ(roomy.record.photosTrashed(), 0);
  EXPECT_EQ(output("own.jpg"), referenceOutput(input("own.jpg", picture)));
  emptyTrash();
  expectGoodRunAfterwards();
}

// A BMP output takes the place of an input only when that input is named
// .bmp, and a bitmap is never a JPEG stream: the run stops before writing,
// and the input stays as it was.
TEST_P(OutputFaults, BmpOutputNamedAsItsOwnInputLeavesTheInputAlone) {
  const Bytes bitmap = crafted::makeBmp(400, 500);
  testpics::writeFile(out / "own.bmp", bitmap);
  first = input("first.jpg", goodJpeg(1));
  const Outcome outcome =
      run(settings({first, (out / "own.bmp").string()}, batchfit::SaveFormat::Bmp));
  expectStopped(outcome, "JPEG error #" + std::to_string(JERR_NO_SOI), "Picture 2 of 2");
  EXPECT_EQ(output("own.bmp"), bitmap);
  expectFirstIntact(Formats[1]);
  expectGoodRunAfterwards();
}

// A file that an output replaces whole keeps its owner, group and mode.
TEST_P(OutputFaults, ReplacedFileKeepsItsOwnerAndMode) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give a file to another user";
  const std::string second = input("second.jpg", goodJpeg(2));
  const fs::path theirs = out / "second.jpg";
  testpics::writeFile(theirs, goodJpeg(3));
  giveTo(theirs, OtherUser, fs::perms(0640));
  const Outcome outcome = run(settings({second}));
  EXPECT_FALSE(outcome.failed) << outcome.message;
  EXPECT_EQ(output("second.jpg"), referenceOutput(second));
  const struct stat after = statOf(theirs);
  EXPECT_EQ(after.st_uid, OtherUser);
  EXPECT_EQ(after.st_gid, OtherUser);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
}

// In a sticky folder that every user may write, like /tmp, another user's
// file cannot be renamed over; one that all may write is written in place,
// and stays its owner's.
TEST_P(OutputFaults, AnotherUsersFileInASharedFolderIsWrittenInPlace) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as two other users";
  const std::string second = input("second.jpg", goodJpeg(2));
  const Bytes expected = referenceOutput(second);
  fs::permissions(root.path(), fs::perms(0755));
  fs::permissions(in, fs::perms(0755));
  fs::permissions(out, fs::perms(01777));
  const fs::path theirs = out / "second.jpg";
  testpics::writeFile(theirs, goodJpeg(3));
  giveTo(theirs, OtherUser, fs::perms(0666));
  const ino_t inode = statOf(theirs).st_ino;
  inChild([&] {
    becomeUser(ThirdUser);
    const Outcome outcome = run(settings({second}));
    EXPECT_FALSE(outcome.failed) << outcome.message;
  });
  EXPECT_EQ(output("second.jpg"), expected);
  EXPECT_EQ(statOf(theirs).st_ino, inode);
  EXPECT_EQ(statOf(theirs).st_uid, OtherUser);
}

// A disk with room for the output in place of the file it replaces, but not
// for both at once: the output is written in place.
TEST_P(OutputFaults, OutputThatFitsOnlyInPlaceOfTheOldFileIsWritten) {
  const std::string second = input("second.jpg", goodJpeg(2));
  const Bytes expected = referenceOutput(second, batchfit::SaveFormat::Bmp);
  ASSERT_EQ(expected.size(), 154934u);
  inChild([&] {
    // 256 KiB over the output folder, in a mount namespace of the child's own.
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
        mount("tmpfs", out.c_str(), "tmpfs", 0, "size=256k") != 0) {
      GTEST_SKIP() << "no file system of our own here: " << std::strerror(errno);
    }
    testpics::writeFile(out / "second.bmp", Bytes(120000, 'x'));
    const Outcome outcome = run(settings({second}, batchfit::SaveFormat::Bmp));
    EXPECT_FALSE(outcome.failed) << outcome.message;
    EXPECT_EQ(output("second.bmp"), expected);
  });
}

// In a sticky folder that every user may write, a link that another user
// planted is never followed: the run stops at it and touches nothing. The
// user's own link there is followed.
TEST_P(OutputFaults, AnotherUsersLinkInASharedFolderIsNotFollowed) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give a link to another user";
  const std::string second = input("second.jpg", goodJpeg(2));
  const Bytes mine = goodJpeg(5);
  const std::string target = input("mine.jpg", mine);
  fs::permissions(out, fs::perms(01777));
  const fs::path link = out / "second.jpg";
  fs::create_symlink(target, link);
  ASSERT_EQ(lchown(link.c_str(), OtherUser, OtherUser), 0);
  const Outcome outcome = run(settings({second}));
  expectStopped(outcome, "Cannot create file \"" + link.string() + "\". Permission denied",
                "Picture 1 of 1");
  EXPECT_EQ(testpics::readFile(target), mine);
  EXPECT_EQ(outputs(), std::set<std::string>{"second.jpg"});
  EXPECT_TRUE(fs::is_symlink(link));
  ASSERT_EQ(lchown(link.c_str(), 0, 0), 0);
  const Outcome own = run(settings({second}));
  EXPECT_FALSE(own.failed) << own.message;
  EXPECT_EQ(testpics::readFile(target), referenceOutput(second));
}

INSTANTIATE_TEST_SUITE_P(Jobs, OutputFaults, ::testing::Values(1, 4));

}  // namespace
}  // namespace faults
