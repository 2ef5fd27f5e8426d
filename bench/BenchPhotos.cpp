#include "bench/BenchPhotos.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <utility>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "bench/CameraScene.h"
#include "tests/support/TestPictures.h"

extern char** environ;

namespace bench {

std::vector<std::uint8_t> makePhoto(const Shot& s, int shot) {
  const testpics::Pattern scene = bench::cameraScene(s.width, s.height, shot);
  switch (s.kind) {
    case Kind::Baseline:
      return testpics::makeJpeg(s.width, s.height, testpics::JpegKind::Baseline, scene, 90);
    case Kind::Progressive:
      return testpics::makeJpeg(s.width, s.height, testpics::JpegKind::Progressive, scene, 90);
    case Kind::Gray:
      return testpics::makeJpeg(s.width, s.height, testpics::JpegKind::Gray, scene, 90);
    default:
      break;
  }
  const bool full = s.kind == Kind::Baseline444;
  return testpics::makeColourJpeg(s.width, s.height, scene, [&](jpeg_compress_struct& c) {
    jpeg_set_quality(&c, 90, TRUE);
    c.comp_info[0].h_samp_factor = full ? 1 : 2;
    c.comp_info[0].v_samp_factor = 1;
  });
}

std::vector<Shot> twelveMegapixelShots() {
  std::vector<Shot> shots;
  for (int shot = 0; shot < 4; ++shot) {
    for (auto [w, h] : {std::pair{4000, 3000}, std::pair{3000, 4000}}) {
      shots.push_back({w, h, Kind::Baseline});
      shots.push_back({w, h, Kind::Progressive});
    }
  }
  return shots;
}

std::vector<Shot> mixedShots() {
  return {{300, 200, Kind::Baseline},      {200, 300, Kind::Progressive},
          {640, 480, Kind::Gray},          {1600, 1200, Kind::Baseline},
          {1200, 1600, Kind::Progressive}, {2048, 1536, Kind::Baseline422},
          {2560, 1920, Kind::Progressive}, {1920, 2560, Kind::Baseline},
          {2592, 1944, Kind::Gray},        {1280, 960, Kind::Baseline444},
          {4000, 3000, Kind::Baseline422}, {3000, 4000, Kind::Progressive},
          {4000, 3000, Kind::Baseline},    {2400, 1600, Kind::Baseline}};
}

void bareDecode(const std::vector<std::uint8_t>& bytes) {
  testpics::decompressJpeg(bytes, [](jpeg_decompress_struct& cinfo) {
    cinfo.dct_method = JDCT_FLOAT;
    cinfo.do_block_smoothing = TRUE;
    if (cinfo.jpeg_color_space == JCS_GRAYSCALE) {
      cinfo.quantize_colors = TRUE;
      cinfo.desired_number_of_colors = 236;
      cinfo.dither_mode = JDITHER_FS;
    } else {
      cinfo.out_color_space = JCS_EXT_RGBX;
    }
    jpeg_start_decompress(&cinfo);
    std::vector<JSAMPLE> row(std::size_t(cinfo.output_width) * cinfo.output_components);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW rows[1] = {row.data()};
      jpeg_read_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_decompress(&cinfo);
  });
}

ProcessRun runProcess(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  ProcessRun run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return run;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.peakKiB = usage.ru_maxrss;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

}  // namespace bench
