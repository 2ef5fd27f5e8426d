#include "image/PictureReaders.h"

#include <utility>

#include "image/ExifOrientation.h"
#include "image/FileIo.h"
#include "image/PathRules.h"

namespace batchfit {

namespace {

struct Choice {
  const char* extension;
  const PhotoReader& (*reader)();
};

const std::vector<Choice>& choices() {
  static const std::vector<Choice> list = {
      {"png", pngReader},   {"bmp", bmpReader},   {"tif", tiffReader},  {"tiff", tiffReader},
      {"webp", webpReader}, {"heic", heifReader}, {"heif", heifReader}, {"avif", heifReader},
  };
  return list;
}

std::string loweredExtension(const std::string& path) {
  const std::string dotted = extensionPart(path);
  std::string extension = dotted.empty() ? dotted : dotted.substr(1);
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return extension;
}

}  // namespace

const std::vector<std::string>& otherFormatExtensions() {
  static const std::vector<std::string> extensions = [] {
    std::vector<std::string> list;
    for (const Choice& choice : choices()) list.emplace_back(choice.extension);
    return list;
  }();
  return extensions;
}

const PhotoReader* otherFormatReader(const std::string& path) {
  const std::string extension = loweredExtension(path);
  for (const Choice& choice : choices()) {
    if (extension == choice.extension) return &choice.reader();
  }
  return nullptr;
}

PhotoHeader readOtherFormatHeader(const PhotoReader& reader, const std::string& path,
                                  bool upright) {
  PhotoHeader header = reader.readHeader(readWholeFile(path), upright);
  if (upright && swapsSides(header.orientation)) std::swap(header.width, header.height);
  if (upright) header.orientation = 1;
  return header;
}

DecodedPhoto decodeOtherFormat(const PhotoReader& reader, const std::string& path, bool upright) {
  DecodedPhoto photo = reader.decode(readWholeFile(path), upright);
  if (upright && photo.orientation != 1) {
    photo.surface = uprightSurface(photo.surface, photo.orientation);
  }
  if (upright) photo.orientation = 1;
  return photo;
}

}  // namespace batchfit
