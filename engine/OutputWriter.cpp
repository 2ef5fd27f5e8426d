#include "engine/OutputWriter.h"

#include <cstdint>

#include "image/BmpFile.h"

namespace batchfit {

ListedPhotos::ListedPhotos(const std::vector<std::string>& files) {
  identities.reserve(files.size());
  for (const std::string& name : files) {
    identities.push_back(plainFileIdentity(name));
    if (identities.back()) photos.insert(*identities.back());
  }
}

std::string outputFilePath(const JobSettings& settings, const std::string& name,
                           std::string_view folderDelimiters) {
  // Deliberate: a JPEG output keeps the input's name and extension, whatever
  // they are; only a BMP output gets ".bmp" in place of the extension.
  std::string fileName = namePart(name, folderDelimiters);
  if (settings.saveFormat == SaveFormat::Bmp) {
    fileName = withExtension(fileName, ".bmp", folderDelimiters);
  }
  return folderPart(settings.outputPath, folderDelimiters) + fileName;
}

WrittenOutput writeOutput(const JobSettings& settings, const std::string& name, PictureRole& TI,
                          JpegObject& runJpeg, const ListedPhotos& listed) {
  const std::string path = outputFilePath(settings, name);
  if (settings.saveFormat == SaveFormat::Bmp) {
    return {path, writeWholeFile(path, encodeBmp(TI.surface()), listed.photos)};
  }
  runJpeg.assignSurface(TI.surface());
  // The quality is kept in one byte, as the codec object stores it.
  runJpeg.setQualityValue(static_cast<std::uint8_t>(settings.jpegQuality));
  runJpeg.compress();
  // What saving the object writes: the bytes just made.
  return {path, writeWholeFile(path, runJpeg.bytes(), listed.photos)};
}

}  // namespace batchfit
