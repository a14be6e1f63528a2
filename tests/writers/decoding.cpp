#include "tests/writers/decoding.h"

#include <FreeImage.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace ostrel::testing {

CommandResult runCommand(const std::string& command) {
  CommandResult result;
  std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  const int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

Rgb toRgb(const Dib& page) {
  Rgb out{page.width(), page.height(), {}};
  out.pixels.resize(3 * static_cast<std::size_t>(page.width()) * page.height());
  for (int y = 0; y < page.height(); ++y) {
    const std::uint8_t* row = page.row(y);
    for (int x = 0; x < page.width(); ++x) {
      std::uint8_t* p = &out.pixels[3 * (static_cast<std::size_t>(y) * page.width() + x)];
      if (page.bitsPerPixel() == 24) {
        p[0] = row[3 * x + 2], p[1] = row[3 * x + 1], p[2] = row[3 * x];
      } else {
        const int index = page.bitsPerPixel() == 8 ? row[x] : (row[x >> 3] >> (7 - (x & 7))) & 1;
        const RgbQuad q = page.paletteEntry(index);
        p[0] = q.red, p[1] = q.green, p[2] = q.blue;
      }
    }
  }
  return out;
}

double meanDifference(const Rgb& a, const Rgb& b) {
  if (a.width != b.width || a.height != b.height || a.pixels.empty()) return 255;
  double sum = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) sum += std::abs(int(a.pixels[i]) - int(b.pixels[i]));
  return sum / static_cast<double>(a.pixels.size());
}

std::vector<TiffPage> readTiff(const std::string& path) {
  std::vector<TiffPage> pages;
  std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(TIFFOpen(path.c_str(), "r"), TIFFClose);
  if (!tiff) return pages;
  do {
    TiffPage page;
    std::uint16_t value = 0;
    TIFFGetField(tiff.get(), TIFFTAG_COMPRESSION, &value);
    page.compression = value;
    TIFFGetField(tiff.get(), TIFFTAG_PHOTOMETRIC, &value);
    page.photometric = value;
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_BITSPERSAMPLE, &value);
    page.bitsPerSample = value;
    TIFFGetField(tiff.get(), TIFFTAG_XRESOLUTION, &page.xResolution);
    TIFFGetField(tiff.get(), TIFFTAG_YRESOLUTION, &page.yResolution);
    std::uint32_t width = 0, height = 0;
    TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
    std::vector<std::uint32_t> rgba(static_cast<std::size_t>(width) * height);
    if (TIFFReadRGBAImageOriented(tiff.get(), width, height, rgba.data(), ORIENTATION_TOPLEFT, 0)) {
      page.image.width = static_cast<int>(width);
      page.image.height = static_cast<int>(height);
      page.image.pixels.reserve(3 * rgba.size());
      for (std::uint32_t p : rgba) {
        page.image.pixels.push_back(static_cast<std::uint8_t>(TIFFGetR(p)));
        page.image.pixels.push_back(static_cast<std::uint8_t>(TIFFGetG(p)));
        page.image.pixels.push_back(static_cast<std::uint8_t>(TIFFGetB(p)));
      }
    }
    pages.push_back(std::move(page));
  } while (TIFFReadDirectory(tiff.get()));
  return pages;
}

bool readWithFreeImage(const std::string& path, FreeImageFile& file) {
  const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
  if (format == FIF_UNKNOWN) return false;
  std::unique_ptr<FIBITMAP, void (*)(FIBITMAP*)> bitmap(FreeImage_Load(format, path.c_str(), 0), FreeImage_Unload);
  if (!bitmap) return false;
  FIBITMAP* b = bitmap.get();
  file.bitsPerPixel = static_cast<int>(FreeImage_GetBPP(b));
  file.paletteSize = static_cast<int>(FreeImage_GetColorsUsed(b));
  file.xDotsPerMetre = static_cast<int>(FreeImage_GetDotsPerMeterX(b));
  const RGBQUAD* palette = FreeImage_GetPalette(b);
  for (int i = 0; palette && i < file.paletteSize; ++i) {
    file.palette.push_back((palette[i].rgbRed << 16) | (palette[i].rgbGreen << 8) | palette[i].rgbBlue);
  }
  const int width = static_cast<int>(FreeImage_GetWidth(b));
  const int height = static_cast<int>(FreeImage_GetHeight(b));
  file.image = Rgb{width, height, {}};
  for (int y = 0; y < height; ++y) {
    const BYTE* row = FreeImage_GetScanLine(b, height - 1 - y);
    for (int x = 0; x < width; ++x) {
      if (file.bitsPerPixel == 24) {
        file.image.pixels.insert(file.image.pixels.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
        continue;
      }
      const int index = file.bitsPerPixel == 8 ? row[x] : (row[x >> 3] >> (7 - (x & 7))) & 1;
      file.indices.push_back(static_cast<std::uint8_t>(index));
      const RGBQUAD q = palette[index];
      file.image.pixels.insert(file.image.pixels.end(), {q.rgbRed, q.rgbGreen, q.rgbBlue});
    }
  }
  return true;
}

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace ostrel::testing
