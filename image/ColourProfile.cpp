#include "image/ColourProfile.h"

#include <lcms2.h>

#include <cstring>
#include <map>

namespace batchfit {

namespace {

void ignoreLcmsError(cmsContext, cmsUInt32Number, const char*) {}

// A profile, a transform: released however the conversion ends.
struct Profile {
  cmsHPROFILE handle;
  ~Profile() {
    if (handle) cmsCloseProfile(handle);
  }
};
struct Transform {
  cmsHTRANSFORM handle;
  ~Transform() {
    if (handle) cmsDeleteTransform(handle);
  }
};

}  // namespace

void convertToSrgb(PixelSurface& surface, const std::vector<std::uint8_t>& profile) {
  if (profile.empty() || surface.empty()) return;
  static const bool quiet = (cmsSetLogErrorHandler(ignoreLcmsError), true);
  (void)quiet;
  const Profile in{cmsOpenProfileFromMem(profile.data(), cmsUInt32Number(profile.size()))};
  if (!in.handle || cmsGetColorSpace(in.handle) != cmsSigRgbData) return;
  const Profile srgb{cmsCreate_sRGBProfile()};
  // A pixel word holds red, green and blue in its low bytes, then a filler
  // byte that lcms2 leaves alone as an extra channel.
  const Transform transform{
      cmsCreateTransform(in.handle, TYPE_RGBA_8, srgb.handle, TYPE_RGBA_8, INTENT_PERCEPTUAL, 0)};
  if (!transform.handle) return;
  for (std::int32_t y = 0; y < surface.height(); ++y) {
    ColorRef* row = surface.mutableRow(y);
    cmsDoTransform(transform.handle, row, row, cmsUInt32Number(surface.width()));
  }
}

std::vector<std::uint8_t> jpegIccProfile(const std::vector<std::uint8_t>& jpeg) {
  constexpr char Signature[] = "ICC_PROFILE";  // with its terminating zero: 12 bytes
  std::map<int, std::vector<std::uint8_t>> parts;
  int count = 0;
  if (jpeg.size() < 2 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) return {};
  // The segments by their lengths, up to the first scan.
  for (std::size_t at = 2; at + 4 <= jpeg.size() && jpeg[at] == 0xFF;) {
    const std::uint8_t marker = jpeg[at + 1];
    if (marker == 0xDA || marker == 0xD9) break;
    if (marker == 0xFF) {
      ++at;  // a fill byte
      continue;
    }
    const std::size_t length = std::size_t(jpeg[at + 2]) << 8 | jpeg[at + 3];
    if (length < 2 || at + 2 + length > jpeg.size()) break;
    const std::uint8_t* content = &jpeg[at + 4];
    if (marker == 0xE2 && length >= 2 + 14 && std::memcmp(content, Signature, 12) == 0) {
      const int sequence = content[12];
      count = content[13];
      if (!parts.emplace(sequence, std::vector<std::uint8_t>(content + 14, content + length - 2))
               .second) {
        return {};
      }
    }
    at += 2 + length;
  }
  if (count == 0 || int(parts.size()) != count) return {};
  std::vector<std::uint8_t> profile;
  for (int sequence = 1; sequence <= count; ++sequence) {
    const auto part = parts.find(sequence);
    if (part == parts.end()) return {};
    profile.insert(profile.end(), part->second.begin(), part->second.end());
  }
  return profile;
}

}  // namespace batchfit
