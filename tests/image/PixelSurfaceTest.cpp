#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "image/MemoryReuse.h"
#include "image/PictureRole.h"
#include "image/PixelSurface.h"
#include "image/Reduction.h"
#include "tests/support/Errors.h"
#include "tests/support/Surfaces.h"
#include "tests/support/TestPictures.h"

using namespace batchfit;
using testpics::colourAt;
using testpics::messageOf;
using testpics::patterned;

TEST(Surface, NewSurfaceIsWhiteAndOutsideReadsAreInvalid) {
  const PixelSurface s = PixelSurface::create(3, 2);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(s.getPixel(x, y), 0x00FFFFFFu);
  }
  for (auto [x, y] : {std::pair{-1, 0}, {3, 0}, {0, 2}, {0, -1}}) {
    EXPECT_EQ(s.getPixel(x, y), InvalidColor) << x << "," << y;
  }
  EXPECT_EQ(redOf(InvalidColor), 255);
  EXPECT_EQ(greenOf(InvalidColor), 255);
  EXPECT_EQ(blueOf(InvalidColor), 255);
}

TEST(Surface, WriteRule) {
  PixelSurface s = PixelSurface::create(3, 2);
  s.setPixel(1, 1, 0x00123456u);
  EXPECT_EQ(s.getPixel(1, 1), 0x00123456u);
  EXPECT_EQ(redOf(s.getPixel(1, 1)), 0x56);
  EXPECT_EQ(greenOf(s.getPixel(1, 1)), 0x34);
  EXPECT_EQ(blueOf(s.getPixel(1, 1)), 0x12);
  s.setPixel(0, 0, InvalidColor);
  EXPECT_EQ(s.getPixel(0, 0), 0x00000000u);
  const PixelSurface before = s;
  s.setPixel(3, 0, 0);
  s.setPixel(0, -1, 0);
  s.setPixel(0, 2, 0);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(s.getPixel(x, y), before.getPixel(x, y));
  }
}

TEST(Surface, SurfacesWithoutPixels) {
  for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {0, 0}}) {
    PixelSurface s = PixelSurface::create(w, h);
    EXPECT_TRUE(s.empty());
    s.setPixel(0, 0, 0x123456);
    EXPECT_EQ(s.getPixel(0, 0), InvalidColor);
    s.copyRect({0, 0, 1, 1}, {0, 0, 1, 1});
  }
  EXPECT_EQ(PixelSurface().getPixel(0, 0), InvalidColor);
}

TEST(Surface, OverlappingCopyReadsEverySourcePixelFirst) {
  const PixelSurface original = patterned(8, 8);
  // Towards the origin and away from it: a plain forward loop breaks one of them.
  PixelSurface up = original;
  up.copyRect({0, 0, 4, 4}, {2, 2, 6, 6});
  PixelSurface down = original;
  down.copyRect({2, 2, 6, 6}, {0, 0, 4, 4});
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool inUp = x < 4 && y < 4;
      EXPECT_EQ(up.getPixel(x, y), original.getPixel(inUp ? x + 2 : x, inUp ? y + 2 : y));
      const bool inDown = x >= 2 && x < 6 && y >= 2 && y < 6;
      EXPECT_EQ(down.getPixel(x, y), original.getPixel(inDown ? x - 2 : x, inDown ? y - 2 : y));
    }
  }
  EXPECT_EQ(up.getPixel(0, 0), original.getPixel(2, 2));
  EXPECT_EQ(up.getPixel(3, 3), original.getPixel(5, 5));
}

TEST(Surface, CopyFromOutsideStoresBlackAndDestinationIsClipped) {
  const PixelSurface original = patterned(4, 4);
  PixelSurface s = original;
  // A frame larger than the picture: its source reaches past the right and bottom.
  s.copyRect({0, 0, 6, 6}, {2, 2, 8, 8});
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      const bool inside = x + 2 < 4 && y + 2 < 4;
      EXPECT_EQ(s.getPixel(x, y), inside ? original.getPixel(x + 2, y + 2) : 0u);
    }
  }
  // Rectangles at the ends of the 32-bit range: the source lies far outside.
  PixelSurface far = original;
  far.copyRect({-2147483647, 0, 2, 2}, {2147483640, 0, 2147483647, 2});
  EXPECT_EQ(far.getPixel(0, 0), 0u);
}

// Surfaces that are not square: each edge is clipped against its own side.
TEST(Surface, CopyOnTallAndWideSurfacesReachesTheirFarEdges) {
  for (auto [width, height] : {std::pair{2, 6}, {6, 2}}) {
    const PixelSurface original = patterned(width, height);
    PixelSurface s = original;
    s.copyRect({1, 1, width, height}, {0, 0, width - 1, height - 1});
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const bool moved = x >= 1 && y >= 1;
        EXPECT_EQ(s.getPixel(x, y), original.getPixel(moved ? x - 1 : x, moved ? y - 1 : y))
            << width << "x" << height << " at " << x << "," << y;
      }
    }
  }
}

TEST(Surface, CopiesAreIndependent) {
  PixelSurface a = patterned(4, 3);
  PixelSurface b;
  b = a;
  PixelSurface c = a;
  b.setPixel(1, 1, 0x00AABBCC);
  c.mutableRow(2)[0] = 0x00010203;
  EXPECT_EQ(a.getPixel(1, 1), colourAt(1, 1));
  EXPECT_EQ(a.getPixel(0, 2), colourAt(0, 2));
  a.setPixel(3, 0, 0);
  EXPECT_EQ(b.getPixel(3, 0), colourAt(3, 0));
  EXPECT_EQ(b.getPixel(1, 1), 0x00AABBCCu);
  EXPECT_EQ(c.getPixel(1, 1), colourAt(1, 1));
}

TEST(Surface, MemoryLimit) {
  EXPECT_GT(surfaceMemoryLimit(), 0u);
  testpics::MemoryLimitGuard limit(1000);
  EXPECT_EQ(surfaceMemoryLimit(), 1000u);
  EXPECT_EQ(PixelSurface::create(10, 25).width(), 10);  // exactly 1000 bytes
  EXPECT_EQ(messageOf([] { PixelSurface::create(16, 16); }), "Out of system resources");
  EXPECT_EQ(messageOf([] { PixelSurface::create(2147483647, 2147483647); }),
            "Out of system resources");
  EXPECT_EQ(messageOf([] { PixelSurface::create(-1, 1); }), "Out of system resources");
  EXPECT_EQ(messageOf([] { PixelSurface::create(1, -1); }), "Out of system resources");
  EXPECT_EQ(messageOf([] { PixelSurface::createForOverwrite(16, 16, PixelSurface()); }),
            "Out of system resources");
}

// A container's memory limit bounds what is available even where the
// machine has more: its room is the limit less what its cgroup uses, file
// pages it has not used lately aside; the tightest cgroup on the way up
// counts. The system's files are laid out in a folder of the test's own.
TEST(AvailableMemory, ContainerLimitsBoundTheMachinesFigure) {
  const testpics::TempDir root;
  const auto write = [&](const std::string& name, const std::string& text) {
    std::filesystem::create_directories((root.path() / name).parent_path());
    std::ofstream(root.path() / name) << text;
  };
  constexpr std::uint64_t MiB = 1 << 20;
  write("proc/meminfo", "MemTotal: 16000000 kB\nMemAvailable: 8000000 kB\n");
  EXPECT_EQ(availableMemory(root.path().string()), std::uint64_t{8000000} * 1024);

  // cgroup v2, no cgroup namespace: the limit is set on the parent.
  write("proc/self/cgroup", "0::/machine/app\n");
  write("proc/self/mountinfo",
        "30 22 0:26 / /sys/fs/cgroup rw,nosuid shared:4 - cgroup2 cgroup2 rw\n");
  write("sys/fs/cgroup/machine/app/memory.max", "max\n");
  write("sys/fs/cgroup/machine/memory.max", std::to_string(512 * MiB) + "\n");
  write("sys/fs/cgroup/machine/memory.current", std::to_string(200 * MiB) + "\n");
  write("sys/fs/cgroup/machine/memory.stat",
        "anon 1\ninactive_file " + std::to_string(50 * MiB) + "\nactive_file 7\n");
  EXPECT_EQ(availableMemory(root.path().string()), 362 * MiB);

  // cgroup v1 mounted at the container's own cgroup, with a tighter limit.
  write("proc/self/cgroup", "4:memory:/docker/c1\n1:cpu,cpuacct:/docker/c1\n");
  write("proc/self/mountinfo",
        "34 30 0:31 /docker/c1 /sys/fs/cgroup/memory rw - cgroup cgroup rw,memory\n");
  write("sys/fs/cgroup/memory/memory.limit_in_bytes", std::to_string(256 * MiB) + "\n");
  write("sys/fs/cgroup/memory/memory.usage_in_bytes", std::to_string(100 * MiB) + "\n");
  write("sys/fs/cgroup/memory/memory.stat",
        "inactive_file 1\ntotal_inactive_file " + std::to_string(40 * MiB) + "\n");
  EXPECT_EQ(availableMemory(root.path().string()), 196 * MiB);
}

TEST(Surface, OverwriteReusesOnlyAnUnsharedBuffer) {
  PixelSurface first = patterned(8, 8);
  const ColorRef* buffer = first.row(0);
  PixelSurface reused = PixelSurface::createForOverwrite(4, 4, std::move(first));
  EXPECT_EQ(reused.row(0), buffer);
  EXPECT_EQ(reused.width(), 4);
  EXPECT_TRUE(first.empty());

  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) reused.setPixel(x, y, makeColor(x, y, 99));
  }
  const PixelSurface copy = reused;  // e.g. still shown in the crop editor
  PixelSurface fresh = PixelSurface::createForOverwrite(4, 4, std::move(reused));
  EXPECT_NE(fresh.row(0), copy.row(0));
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) fresh.setPixel(x, y, 0);
  }
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(copy.getPixel(x, y), makeColor(x, y, 99));
  }
}

TEST(PictureRoles, TargetIsMadeWhiteOnFirstUseAndKeptAfterwards) {
  PictureRole ti;
  ti.prepare(3, 2);
  EXPECT_FALSE(ti.holdsSurface());
  ti.surface().setPixel(0, 0, 0x00102030);
  EXPECT_TRUE(ti.holdsSurface());
  EXPECT_EQ(ti.surface().getPixel(0, 0), 0x00102030u);
  EXPECT_EQ(ti.surface().getPixel(2, 1), White);
  ti.prepare(4, 4);
  EXPECT_EQ(ti.surface().getPixel(0, 0), White);
  EXPECT_EQ(ti.surface().width(), 4);
}

TEST(PictureRoles, ContentIsReplacedWholesale) {
  PictureRole pi;
  PixelSurface picture = patterned(5, 4);
  pi.setSurface(picture);
  picture.setPixel(0, 0, White);
  EXPECT_EQ(pi.surface().getPixel(0, 0), colourAt(0, 0));  // unaffected copy
  EXPECT_EQ(pi.width(), 5);
  pi.setPicture(Picture{PictureKind::Bitmap, 30, 20});
  EXPECT_FALSE(pi.holdsSurface());
  EXPECT_EQ(pi.width(), 30);
  EXPECT_EQ(pi.height(), 20);
  ASSERT_TRUE(pi.picture().has_value());
  EXPECT_EQ(pi.picture()->kind, PictureKind::Bitmap);
  pi.setSurface(patterned(2, 2));
  EXPECT_FALSE(pi.picture().has_value());
  EXPECT_EQ(pi.height(), 2);
}

TEST(PictureRoles, NegativeSizeFailsOnFirstUse) {
  PictureRole ti;
  ti.prepare(-1, 5);
  EXPECT_EQ(messageOf([&] { ti.surface(); }), "Out of system resources");
  EXPECT_FALSE(ti.holdsSurface());
}

// A block the size of a 12-megapixel photo's coefficients comes from the
// program's own heap and stays there once freed, for the next photo.
TEST(MemoryReuse, FreedDecoderSizedBlocksStayWithTheProgram) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer brings an allocator of its own";
#else
  batchfit::keepFreedBuffersForReuse();
  const std::size_t mappedBefore = mallinfo2().hblks;
  void* block = std::malloc(24u << 20);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(mallinfo2().hblks, mappedBefore) << "a mapping of its own";
  std::free(block);
  EXPECT_GE(mallinfo2().arena, std::size_t(24u << 20)) << "handed back to the system";
#endif
}

// The pages are faulted in beside a writer: what was there before, and what
// the writer writes meanwhile, both stay.
TEST(MemoryReuse, PagesFaultedAheadLeaveWhatThePagesHold) {
  const std::size_t bytes = 32u << 20;
  auto* memory = static_cast<std::uint8_t*>(std::malloc(bytes));
  ASSERT_NE(memory, nullptr);
  const auto pattern = [](std::size_t i) { return std::uint8_t(i * 7 + i / 4096); };
  for (std::size_t i = 0; i < bytes / 2; ++i) memory[i] = pattern(i);
  {
    const PagesFaultedAhead faulting(memory, bytes);
    for (std::size_t i = bytes / 2; i < bytes; ++i) memory[i] = pattern(i);
  }
  std::size_t changed = 0;
  for (std::size_t i = 0; i < bytes; ++i) changed += memory[i] != pattern(i);
  EXPECT_EQ(changed, 0u);
  std::free(memory);
}

// A photo large enough for its lower half to be reduced beside the upper:
// every row of blocks lands in its own place.
TEST(ReducedCopy, ALargePhotosHalvesEachLandInPlace) {
  auto source = PixelSurface::createForOverwrite(2048, 2048, PixelSurface());
  const auto colourOfBand = [](int band) { return makeColor(band, 255 - band, band / 2); };
  for (int y = 0; y < 2048; ++y) std::fill_n(source.mutableRow(y), 2048, colourOfBand(y / 8));
  const PixelSurface reduced = reducedCopy(source, 256, 256);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x)
      ASSERT_EQ(reduced.getPixel(x, y), colourOfBand(y)) << x << "," << y;
  }
}

TEST(ReducedCopy, EachPixelIsTheRoundedMeanOfItsBlock) {
  // 5 x 2 to 2 x 1: blocks of columns 0..1 and 2..4, both rows.
  auto source = PixelSurface::create(5, 2);
  const int reds[2][5] = {{10, 20, 0, 0, 255}, {30, 41, 0, 255, 255}};
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 5; ++x) source.setPixel(x, y, makeColor(reds[y][x], x, 7));
  }
  const PixelSurface reduced = reducedCopy(source, 2, 1);
  ASSERT_EQ(reduced.width(), 2);
  ASSERT_EQ(reduced.height(), 1);
  EXPECT_EQ(reduced.getPixel(0, 0), makeColor(25, 1, 7));   // 101 / 4 = 25.25
  EXPECT_EQ(reduced.getPixel(1, 0), makeColor(128, 3, 7));  // 765 / 6 = 127.5
  // At the source's own size, the source itself.
  const PixelSurface same = reducedCopy(source, 5, 2);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(same.getPixel(x, y), source.getPixel(x, y));
  }
}
