#include "tests/support/TestPictures.h"

#include <jpeglib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testpics {

Rgb gradient(int x, int y) {
  return Rgb{std::uint8_t(x * 7 + y), std::uint8_t(y * 5 + x * 3), std::uint8_t(x ^ y)};
}

Rgb busy(int x, int y) {
  const unsigned hash = (unsigned(x) * 2654435761u) ^ (unsigned(y) * 40503u + 17u);
  const bool edge = (x / 5 + y / 3) % 2 != 0;
  return {std::uint8_t(edge ? 255 - (hash >> 28) : hash >> 24),
          std::uint8_t((x * 9 + y) ^ (hash >> 26)), std::uint8_t(edge ? hash >> 25 : 250)};
}

namespace {

void fillRow(JpegKind kind, const Pattern& pattern, int y, int width,
             std::vector<std::uint8_t>& row) {
  for (int x = 0; x < width; ++x) {
    Rgb c = pattern(x, y);
    switch (kind) {
      case JpegKind::Gray:
        row[x] = JSAMPLE((c.r * 299 + c.g * 587 + c.b * 114) / 1000);
        break;
      case JpegKind::Cmyk:  // Adobe-style inverted CMYK, K = 0
        row[4 * x] = JSAMPLE(c.r);
        row[4 * x + 1] = JSAMPLE(c.g);
        row[4 * x + 2] = JSAMPLE(c.b);
        row[4 * x + 3] = 255;
        break;
      default:
        row[3 * x] = c.r;
        row[3 * x + 1] = c.g;
        row[3 * x + 2] = c.b;
    }
  }
}

}  // namespace

std::vector<std::uint8_t> compressJpeg(
    int width, int height, int components, int inSpace,
    const std::function<void(jpeg_compress_struct&)>& configure,
    const std::function<void(int y, std::vector<std::uint8_t>& row)>& fillRow) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&cinfo, &out, &outSize);
  cinfo.image_width = JDIMENSION(width);
  cinfo.image_height = JDIMENSION(height);
  cinfo.input_components = components;
  cinfo.in_color_space = J_COLOR_SPACE(inSpace);
  jpeg_set_defaults(&cinfo);
  configure(cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<std::uint8_t> row(std::size_t(width) * components);
  for (int y = 0; y < height; ++y) {
    fillRow(y, row);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<std::uint8_t> bytes(out, out + outSize);
  jpeg_destroy_compress(&cinfo);
  std::free(out);
  return bytes;
}

std::vector<std::uint8_t> makeJpeg(int width, int height, JpegKind kind, const Pattern& pattern,
                                   int quality) {
  const int components = kind == JpegKind::Gray ? 1 : kind == JpegKind::Cmyk ? 4 : 3;
  const J_COLOR_SPACE space = kind == JpegKind::Gray   ? JCS_GRAYSCALE
                              : kind == JpegKind::Cmyk ? JCS_CMYK
                                                       : JCS_RGB;
  return compressJpeg(
      width, height, components, space,
      [&](jpeg_compress_struct& cinfo) {
        jpeg_set_quality(&cinfo, quality, TRUE);
        if (kind == JpegKind::Progressive444) {
          for (int c = 0; c < cinfo.num_components; ++c) {
            cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
          }
        }
        if (kind == JpegKind::Progressive || kind == JpegKind::Progressive444) {
          jpeg_simple_progression(&cinfo);
        }
      },
      [&](int y, std::vector<std::uint8_t>& row) { fillRow(kind, pattern, y, width, row); });
}

std::vector<std::uint8_t> makeColourJpeg(
    int width, int height, const Pattern& pattern,
    const std::function<void(jpeg_compress_struct&)>& configure) {
  return compressJpeg(width, height, 3, JCS_RGB, configure,
                      [&](int y, std::vector<std::uint8_t>& row) {
                        fillRow(JpegKind::Baseline, pattern, y, width, row);
                      });
}

namespace {

J_COLOR_SPACE storedSpace(Samples kind) {
  switch (kind) {
    case Samples::Ycck:
      return JCS_YCCK;
    case Samples::TwoComponent:
      return JCS_UNKNOWN;
    default:
      return JCS_CMYK;
  }
}

}  // namespace

std::vector<std::uint8_t> makeRawJpeg(int width, int height, Samples kind,
                                      const SampleFn& samples) {
  const int components = kind == Samples::TwoComponent ? 2 : 4;
  return compressJpeg(
      width, height, components, kind == Samples::TwoComponent ? JCS_UNKNOWN : JCS_CMYK,
      [&](jpeg_compress_struct& cinfo) {
        jpeg_set_colorspace(&cinfo, storedSpace(kind));
        cinfo.write_Adobe_marker = kind != Samples::PlainCmyk && kind != Samples::TwoComponent;
        jpeg_set_quality(&cinfo, 100, TRUE);
      },
      [&](int y, std::vector<std::uint8_t>& row) {
        for (int x = 0; x < width; ++x) {
          const auto s = samples(x, y);
          for (int c = 0; c < components; ++c) row[std::size_t(x) * components + c] = s[c];
        }
      });
}

void decompressJpeg(const std::vector<std::uint8_t>& bytes,
                    const std::function<void(jpeg_decompress_struct&)>& use) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), bytes.size());
  jpeg_read_header(&cinfo, TRUE);
  use(cinfo);
  jpeg_destroy_decompress(&cinfo);
}

bool canCapAddressSpace() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
  return false;
#else
  return true;
#endif
#else
  return true;
#endif
}

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::string> fileNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "batchfit-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

namespace {

// The home folder of this test process, made before any test runs and
// removed when the process ends (not when a child of it does).
class ProcessHome {
 public:
  ProcessHome() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "batchfit-home-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    // GLib reads them once, when a file first goes to the trash.
    setenv("HOME", path_.c_str(), 1);
    setenv("XDG_DATA_HOME", path_.c_str(), 1);
  }
  ~ProcessHome() {
    std::error_code ignored;
    if (getpid() == owner_) std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  const pid_t owner_ = getpid();
};

const ProcessHome processHome;

}  // namespace

std::filesystem::path trashFolder() {
  return processHome.path() / "Trash";
}

}  // namespace testpics
