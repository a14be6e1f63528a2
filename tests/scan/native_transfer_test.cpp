// Native transfers of the virtual source, through the source manager in this
// process: a page goes to the application in the very memory it was drawn in,
// and that memory is drawn over again only once the application has freed it.
#include <gtest/gtest.h>

#include <memory>

#include "scanners/ostrel-device/device_registration.h"
#include "scanners/protocol/bitmap_file.h"
#include "scanners/sourcemanager/dsm_memory.h"
#include "scanners/sourcemanager/source_manager.h"
#include "tests/support/temp_home.h"

namespace ostrel::virtualscanner {
namespace {

using namespace twain;
using Handle = std::unique_ptr<void, MemoryHandleDeleter>;

// A grey sheet, 2 x 3 inches at 100 dpi, told apart from the others by its level.
Dib sheet(std::uint8_t level) {
  auto image = Dib::create(200, 300, 24, 3937, 3937);
  for (int y = 0; y < image->height(); ++y) std::fill_n(image->row(y), 3 * image->width(), level);
  return std::move(*image);
}

class NativeTransferTest : public ::testing::Test {
 protected:
  NativeTransferTest() {
    const std::string pages = testing::tempRoot() + "/pages";
    for (int i = 1; i <= 3; ++i) {
      testing::writeFile(pages + "/" + std::to_string(i) + ".bmp", "");
      EXPECT_TRUE(writeBitmapFile(sheet(static_cast<std::uint8_t>(40 * i)), pages + "/" + std::to_string(i) + ".bmp"));
    }
    VirtualDevice device;
    device.model = "Tern";
    device.pagesFolder = pages;
    // Only copied, never loaded: any file serves as the driver library.
    EXPECT_TRUE(devicetool::addVirtualDevice("scanner", device, pages + "/1.bmp").ok);
  }

  TW_UINT16 call(TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    return manager->entry(&app, dest, dg, dat, msg, data);
  }

  // Opens the scanner for grey pages at 100 dpi and enables it.
  void start() {
    TW_HANDLE parent = &app;
    ASSERT_EQ(call(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent), TWRC_SUCCESS);
    ASSERT_EQ(call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &source), TWRC_SUCCESS);
    ASSERT_EQ(call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source), TWRC_SUCCESS);
    const Handle grey(memoryAllocate(sizeof(TW_ONEVALUE)));
    *static_cast<TW_ONEVALUE*>(memoryLock(grey.get())) = TW_ONEVALUE{TWTY_UINT16, TWPT_GRAY};
    TW_CAPABILITY pixelType{ICAP_PIXELTYPE, TWON_ONEVALUE, grey.get()};
    ASSERT_EQ(call(&source, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &pixelType), TWRC_SUCCESS);
    const Handle dpi(memoryAllocate(sizeof(TW_ONEVALUE)));
    *static_cast<TW_ONEVALUE*>(memoryLock(dpi.get())) = TW_ONEVALUE{TWTY_FIX32, fix32AsItem(toFix32(100))};
    for (TW_UINT16 cap : {ICAP_XRESOLUTION, ICAP_YRESOLUTION}) {
      TW_CAPABILITY resolution{cap, TWON_ONEVALUE, dpi.get()};
      ASSERT_EQ(call(&source, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &resolution), TWRC_SUCCESS);
    }
    TW_USERINTERFACE ui{0, 0, parent};
    ASSERT_EQ(call(&source, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
  }

  Handle transfer() {
    TW_HANDLE image = nullptr;
    EXPECT_EQ(call(&source, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image), TWRC_XFERDONE);
    return Handle(image);
  }

  void endTransfer() {
    TW_PENDINGXFERS pending{};
    EXPECT_EQ(call(&source, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
  }

  // A copy of the page in a handle.
  static Dib page(const Handle& image) {
    auto read = Dib::fromPacked({static_cast<const std::uint8_t*>(memoryLock(image.get())), memorySize(image.get())});
    EXPECT_TRUE(read);
    return std::move(*read);
  }

  std::unique_ptr<SourceManager> manager = std::make_unique<SourceManager>(nullptr);
  TW_IDENTITY app{};
  TW_IDENTITY source{};
};

TEST_F(NativeTransferTest, PagesGoOutInTheMemoryTheyWereDrawnIn) {
  start();
  Handle first = transfer();
  const void* drawnIn = memoryLock(first.get());
  ASSERT_NE(drawnIn, nullptr);
  EXPECT_EQ(page(first).row(0)[0], 40);
  EXPECT_EQ(memorySize(first.get()), 40 + 1024 + 200u * 300);
  first.reset();  // the application is done with it: the next page of its size is drawn there
  endTransfer();

  Handle second = transfer();
  // Were the page copied into the handle, the copy could not lie where the
  // page was drawn: that memory was still the page's.
  EXPECT_EQ(memoryLock(second.get()), drawnIn);
  EXPECT_EQ(page(second).row(0)[0], 80);
  endTransfer();

  // The application still holds the second page: the third is drawn elsewhere.
  Handle third = transfer();
  EXPECT_NE(memoryLock(third.get()), drawnIn);
  EXPECT_EQ(page(second).row(299)[199], 80);
  EXPECT_EQ(page(third).row(0)[0], 120);
  endTransfer();

  // Pages outlive the source manager; freeing them afterwards is safe.
  manager.reset();
  EXPECT_EQ(page(second).row(0)[0], 80);
}

}  // namespace
}  // namespace ostrel::virtualscanner
