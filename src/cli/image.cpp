// lexova image info: the record the image library makes of an image file, as JSON.
#include "cli/commands.h"
#include "cli/json.h"
#include "imaging/pict_info.h"
#include "io/byte_io.h"

namespace lexova::cli {

namespace {

const char* typeName(std::int16_t type) {
  switch (type) {
    case imaging::kFileTiff:
      return "tiff";
    case imaging::kFileJpeg:
      return "jpeg";
    case imaging::kFilePng:
      return "png";
    default:
      return "unknown";
  }
}

}  // namespace

int runImage(const Args& args) {
  std::string error;
  const auto p = parseArgs(args, false, {}, error);
  if (!p) return usageError(error);
  if (p->positional.size() != 2 || p->positional[0] != "info") return usageError("image takes: info FILE");
  const std::string& path = p->positional[1];
  std::string bytes;
  try {
    bytes = io::readFile(path, imaging::kMaxBufferBytes);
  } catch (const io::IoError& e) {
    printError(e.what());
    return kExitReadError;
  }
  imaging::CPICT_INFO pict;
  pict.FileName = path;
  const imaging::Decoded d =
      imaging::loadImage({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, pict);
  if (!d.ok) {
    printError(path + ": " + d.error);
    return kExitReadError;
  }
  JsonWriter j(stdout);
  j.beginObject();
  j.key("type"), j.value(typeName(pict.FileType));
  j.key("width"), j.value(pict.Width);
  j.key("height"), j.value(pict.Height);
  j.key("bits"), j.value(static_cast<int>(pict.BitCount));
  j.key("lineBytes"), j.value(pict.LineBytes);
  j.key("xResolution"), j.value(static_cast<int>(pict.XResolution));
  j.key("yResolution"), j.value(static_cast<int>(pict.YResolution));
  j.key("colour"), j.value(pict.ColorFlag != 0);
  j.key("palette"), j.value(static_cast<int>(pict.Palette.size()));
  j.key("group4"), j.value(pict.TiffCompression == imaging::kTiffGroup4);
  j.endObject();
  j.finish();
  return kExitOk;
}

}  // namespace lexova::cli
