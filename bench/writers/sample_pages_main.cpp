// Writes the benchmark's pages for the reference tools:
//   <folder>/colour.ppm  the colour page, for cjpeg (its fastest input format)
//   <folder>/text.tif    the dense text page as G4 TIFF (compare.sh decompresses
//                        it for tiffcp and img2pdf)
#include <cstdio>
#include <string>
#include <vector>

#include "imaging/writers/image_file_writers.h"
#include "tests/writers/sample_pages.h"

namespace {

bool writePpm(const ostrel::Dib& page, const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  std::fprintf(file, "P6\n%d %d\n255\n", page.width(), page.height());
  std::vector<unsigned char> rgb(3 * static_cast<std::size_t>(page.width()));
  bool ok = true;
  for (int y = 0; y < page.height(); ++y) {
    const unsigned char* bgr = page.row(y);
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
      rgb[i] = bgr[i + 2], rgb[i + 1] = bgr[i + 1], rgb[i + 2] = bgr[i];
    }
    ok = ok && std::fwrite(rgb.data(), 1, rgb.size(), file) == rgb.size();
  }
  return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  if (!writePpm(ostrel::testing::colourPage(), folder + "/colour.ppm")) {
    std::fprintf(stderr, "cannot write %s/colour.ppm\n", folder.c_str());
    return 1;
  }
  const auto text = ostrel::writers::writeTiff(ostrel::testing::denseTextPage(), folder + "/text.tif");
  if (!text) {
    std::fprintf(stderr, "%s\n", text.error().c_str());
    return 1;
  }
  return 0;
}
