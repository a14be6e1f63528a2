// How long the virtual scanner takes to deliver a 300-dpi Letter page in each
// pixel type. It must stay far below what the writers take for a page (about
// 30 ms for JPEG), so pipeline figures measured with it are the pipeline's.
//   Render:  sampling a sheet already in memory into the requested frame,
//            resolution and depth (what every transfer does).
//   Deliver: a whole button-press session through DSM_Entry for a stack of
//            one BMP file: open, set pixel type and resolution, enable,
//            render, hand over the native image, end the transfer, close. The
//            file is read once; later sessions take the sheet from the cache.
//   ReadLetterBmp: what reading a sheet the first time costs (decode and its
//            grey plane).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "scanners/protocol/bitmap_file.h"
#include "scanners/protocol/twain_protocol.h"
#include "bench/support/temporary_folder.h"
#include "scanners/ostrel-device/device_registration.h"
#include "tools/pagegen/page_generator.h"
#include "scanners/sourcemanager/dsm_memory.h"
#include "scanners/sourcemanager/source_page.h"
#include "scanners/sourcemanager/page_renderer.h"
#include "scanners/sourcemanager/source_manager.h"

namespace {

using namespace ostrel;
using namespace ostrel::twain;
using virtualscanner::PixelType;

const Dib& letterSheet() {
  static const Dib sheet = *pagegen::generatePage(pagegen::letterPage(300, 24, pagegen::Content::DenseText));
  return sheet;
}

void BM_Render(benchmark::State& state) {
  const auto type = static_cast<PixelType>(state.range(0));
  const virtualscanner::SourcePage sheet = virtualscanner::sheetFromImage(letterSheet());
  virtualscanner::ScanGeometry geometry;
  geometry.sheetLeft = 0.07;
  geometry.frame = virtualscanner::FrameInches{0.07, 0, 8.57, 11};
  for (auto _ : state) benchmark::DoNotOptimize(virtualscanner::renderPage(sheet, geometry, type));
}
BENCHMARK(BM_Render)->Arg(0)->Arg(1)->Arg(2)->ArgNames({"bw0_grey1_colour2"})->Unit(benchmark::kMillisecond);

// A registered virtual scanner with one Letter sheet, in a temporary home.
void prepareScanner() {
  static const bool prepared = [] {
    const std::string& root = bench::temporaryFolder();
    ::setenv("APPDATA", (root + "/appdata").c_str(), 1);
    ::setenv("OSTREL_REGISTRY", (root + "/registry").c_str(), 1);
    std::filesystem::create_directories(root + "/pages");
    writeBitmapFile(letterSheet(), root + "/pages/letter.bmp");
    virtualscanner::VirtualDevice device;
    device.model = "Tern";
    device.pagesFolder = root + "/pages";
    // The driver library is only copied, never loaded here: any file serves.
    return devicetool::addVirtualDevice("bench", device, root + "/pages/letter.bmp").ok;
  }();
  if (!prepared) std::abort();
}

TW_UINT16 dsmEntry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                   TW_MEMREF data);
virtualscanner::SourceManager& manager() {
  static virtualscanner::SourceManager instance(dsmEntry);
  return instance;
}
TW_UINT16 dsmEntry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                   TW_MEMREF data) {
  return manager().entry(origin, dest, dg, dat, msg, data);
}

void BM_Deliver(benchmark::State& state) {
  prepareScanner();
  TW_IDENTITY app{};
  TW_HANDLE parent = &app;
  dsmEntry(&app, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent);
  for (auto _ : state) {
    TW_IDENTITY source{};
    dsmEntry(&app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &source);
    dsmEntry(&app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source);
    TW_HANDLE container = virtualscanner::memoryAllocate(sizeof(TW_ONEVALUE));
    *static_cast<TW_ONEVALUE*>(virtualscanner::memoryLock(container)) =
        TW_ONEVALUE{TWTY_UINT16, static_cast<TW_UINT32>(state.range(0))};
    TW_CAPABILITY pixelType{ICAP_PIXELTYPE, TWON_ONEVALUE, container};
    dsmEntry(&app, &source, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &pixelType);
    TW_HANDLE resolution = virtualscanner::memoryAllocate(sizeof(TW_ONEVALUE));
    *static_cast<TW_ONEVALUE*>(virtualscanner::memoryLock(resolution)) =
        TW_ONEVALUE{TWTY_FIX32, fix32AsItem(toFix32(300))};
    for (TW_UINT16 cap : {ICAP_XRESOLUTION, ICAP_YRESOLUTION}) {
      TW_CAPABILITY request{cap, TWON_ONEVALUE, resolution};
      dsmEntry(&app, &source, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &request);
    }
    virtualscanner::memoryFree(container);
    virtualscanner::memoryFree(resolution);
    TW_USERINTERFACE ui{0, 0, parent};
    dsmEntry(&app, &source, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
    TW_HANDLE image = nullptr;
    if (dsmEntry(&app, &source, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image) != TWRC_XFERDONE) {
      state.SkipWithError("no image");
      break;
    }
    virtualscanner::memoryFree(image);
    TW_PENDINGXFERS pending{};
    dsmEntry(&app, &source, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    dsmEntry(&app, &source, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    dsmEntry(&app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source);
  }
  dsmEntry(&app, nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parent);
}
BENCHMARK(BM_Deliver)->Arg(TWPT_BW)->Arg(TWPT_GRAY)->Arg(TWPT_RGB)->ArgNames({"pixeltype"})->Unit(benchmark::kMillisecond);

void BM_ReadLetterBmp(benchmark::State& state) {
  prepareScanner();
  const std::string path = std::string(std::getenv("APPDATA")) + "/../pages/letter.bmp";
  for (auto _ : state) benchmark::DoNotOptimize(virtualscanner::readPageImage(path, nullptr));
}
BENCHMARK(BM_ReadLetterBmp)->Unit(benchmark::kMillisecond);

}  // namespace
