// The path rules with both delimiter sets: the Windows examples stay covered.
#include <gtest/gtest.h>

#include "image/PathRules.h"

using namespace batchfit;

namespace {

constexpr std::string_view Win = WindowsFolderDelimiters;
constexpr std::string_view Posix = PosixFolderDelimiters;

TEST(PathRules, WindowsDelimiters) {
  EXPECT_EQ(folderPart("C:\\Temp\\Save Your Resized Files Here", Win), "C:\\Temp\\");
  EXPECT_EQ(folderPart("C:file.jpg", Win), "C:");
  EXPECT_EQ(folderPart("file.jpg", Win), "");
  EXPECT_EQ(namePart("D:\\Photos\\Beach.JPEG", Win), "Beach.JPEG");
  EXPECT_EQ(namePart("D:/Photos/Beach.JPEG", Win), "/Photos/Beach.JPEG");
  EXPECT_EQ(withExtension("a.b.jpg", ".bmp", Win), "a.b.bmp");
  EXPECT_EQ(withExtension("noext", ".bmp", Win), "noext.bmp");
  EXPECT_EQ(withExtension("trail.", ".bmp", Win), "trail.bmp");
  EXPECT_EQ(withExtension("D:\\Pics.old\\photo", ".bmp", Win), "D:\\Pics.old\\photo.bmp");
  EXPECT_EQ(extensionPart("D:\\Pics\\a.b.jpg", Win), ".jpg");
  EXPECT_EQ(extensionPart("D:\\Pics.old\\photo", Win), "");
  EXPECT_EQ(extensionPart("trail.", Win), ".");
  // The forward slash is no delimiter here.
  EXPECT_EQ(extensionPart("x.d/photo", Win), ".d/photo");
}

TEST(PathRules, PosixDelimiters) {
  EXPECT_EQ(folderPart("/tmp/Save Your Resized Files Here", Posix), "/tmp/");
  EXPECT_EQ(folderPart("relative.jpg", Posix), "");
  EXPECT_EQ(namePart("/srv/pics/a.jpg", Posix), "a.jpg");
  EXPECT_EQ(namePart("C:\\Pics\\a.jpg", Posix), "C:\\Pics\\a.jpg");
  EXPECT_EQ(withExtension("/srv/pics.old/photo", ".bmp", Posix), "/srv/pics.old/photo.bmp");
  EXPECT_EQ(withExtension("/srv/pics/a.b.jpg", ".bmp", Posix), "/srv/pics/a.b.bmp");
  EXPECT_EQ(extensionPart("/srv/pics.old/photo", Posix), "");
}

TEST(PathRules, LastDelimiterPosition) {
  EXPECT_EQ(lastDelimiterPosition("\\:", "C:\\a\\b.jpg"), 5u);
  EXPECT_EQ(lastDelimiterPosition("\\:", "b.jpg"), 0u);
  EXPECT_EQ(lastDelimiterPosition(".", ""), 0u);
  // A character 0 never counts, even when it is in the set.
  using std::literals::string_view_literals::operator""sv;
  EXPECT_EQ(lastDelimiterPosition("/\0"sv, "a/b\0c"sv), 2u);
}

}  // namespace
