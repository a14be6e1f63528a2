#pragma once
// The scan job in-process: a button with its scan profile and destination, a
// recording user interface and delivery, and pages made in memory.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/scan/job/destination_delivery.h"
#include "app/scan/job/output_job.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_home.h"
#include "tests/writers/decoding.h"
#include "tools/pagegen/page_generator.h"

namespace ostrel::testing {

class RecordingDelivery : public DestinationDelivery {
 public:
  void launchWithFile(const CApplicationSetting&, const CButtonSetting&, const std::string& path) override {
    launches.push_back(path);
  }
  void launchWithList(const CApplicationSetting&, const CButtonSetting&, const std::string& quotedPaths,
                      int pendingCount) override {
    listLaunches.emplace_back(quotedPaths, pendingCount);
  }
  void upload(const CButtonSetting&, const std::string& path) override { uploads.push_back(path); }
  void ftpUpload(const CButtonSetting&, const std::string& path) override { ftpUploads.push_back(path); }
  void print(CButtonSetting&, std::vector<std::string>& files) override { printed.push_back(std::exchange(files, {})); }
  void mail(std::vector<std::string>& files) override { mailed.push_back(std::exchange(files, {})); }
  void fax(std::vector<std::string>& files) override { faxed.push_back(std::exchange(files, {})); }

  std::vector<std::string> launches, uploads, ftpUploads;
  std::vector<std::pair<std::string, int>> listLaunches;
  std::vector<std::vector<std::string>> printed, mailed, faxed;
};

// A letter page at 100 dpi in 8-bit grey, with a barcode when given its text,
// so barcodes read as on scans.
inline Dib textPage(const std::string& barcode = {}) {
  pagegen::PageSpec pageSpec = pagegen::letterPage(100, 8, pagegen::Content::SparseText);
  pageSpec.defects.noise = 3;
  if (!barcode.empty()) pageSpec.barcodes.push_back({pagegen::Symbology::Code128, barcode, 150, 60, 2});
  return *pagegen::generatePage(pageSpec);
}

// A small page of one grey level, for steps that do not look at the content.
inline Dib plainPage(int bits = 8, int width = 85, int height = 110, std::uint8_t level = 200) {
  Dib page = *Dib::create(width, height, bits, 3937, 3937);  // 100 dpi
  for (int y = 0; y < height; ++y) std::fill_n(page.row(y), page.stride(), level);
  return page;
}

// Pages in feeder order (Dib cannot be copied out of an initializer list).
template <typename... Pages>
std::vector<Dib> stack(Pages&&... pages) {
  std::vector<Dib> result;
  (result.push_back(std::forward<Pages>(pages)), ...);
  return result;
}

class JobTest : public ::testing::Test {
 protected:
  JobTest() {
    // No language data: the engine's absence is one log line, and quick.
    ::setenv("TESSDATA_PREFIX", (tempRoot() + "/no-language-data").c_str(), 1);
    profile.resolution = 100;
    button.section = "4";
    button.scanSetting = &profile;
    button.applicationSetting = &destination;
    button.imageFolder = folder();
    button.fileFormat = format::kJpeg;
  }

  std::string folder() const { return tempRoot() + "/Scans"; }
  std::string file(const std::string& name) const { return folder() + "/" + name; }
  std::vector<std::string> files() const { return folderEntries(folder()); }

  // One job: the pages of one pass (front and back in turn with duplex).
  void scan(std::vector<Dib> pages, bool duplex = false) {
    ASSERT_EQ(job->StartOutput(button), 1);
    job->setDuplex(duplex);
    int side = 0;
    for (Dib& page : pages) {
      EXPECT_EQ(job->HandlePage(std::move(page), side), 1);
      if (duplex) side ^= 1;
    }
    EXPECT_EQ(job->FinishOutput(), 1);
  }

  RecordingUserInterface ui;
  RecordingDelivery delivery;
  CScanSetting profile;
  CApplicationSetting destination;
  CButtonSetting button;
  std::unique_ptr<OutputJob> job = std::make_unique<OutputJob>(OutputJobParts{ui, delivery, tempRoot() + "/program"});
};

inline int pdfPages(const std::string& path) {
  const CommandResult info = runCommand("pdfinfo " + quoted(path));
  const std::size_t at = info.output.find("Pages:");
  return info.status == 0 && at != std::string::npos ? std::stoi(info.output.substr(at + 6)) : -1;
}

}  // namespace ostrel::testing
