#pragma once
// The scan job in-process with the real delivery: pages made in memory go
// through OutputJob into files, and DesktopDelivery hands them to real programs,
// the print system of the given kind and the mail command.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/delivery/desktop_delivery.h"
#include "tests/job/job_fixture.h"
#include "tests/manager/log_reader.h"

namespace ostrel::testing {

// A print system that records what the print step asks of it, for the step's
// own decisions; printing itself is tested against a real CUPS scheduler.
class RecordingPrinters : public Printers {
 public:
  struct Page {
    int imageWidth, imageHeight, width, height;
    bool operator==(const Page&) const = default;
  };

  std::string defaultPrinter() override { return defaultName; }
  Opened open(const std::string& printer) override {
    opened.push_back(printer);
    if (!refusal.empty()) return {nullptr, refusal};
    return {std::make_unique<Device>(*this), {}};
  }

  std::string defaultName = "Default Printer";
  std::string refusal;         // open() fails with it when set
  bool documentFails = false;  // startDocument() fails
  std::string jobRefusal;      // endDocument() gives it
  PrintableArea area{9600, 12000, 1200};
  std::vector<std::string> opened, documents;
  std::vector<Page> pages;
  int ended = 0;

 private:
  class Device : public PrinterDevice {
   public:
    explicit Device(RecordingPrinters& owner) : owner_(owner) {}
    PrintableArea printableArea() const override { return owner_.area; }
    bool startDocument(const std::string& name) override {
      owner_.documents.push_back(name);
      return !owner_.documentFails;
    }
    void printPage(const Dib& image, int width, int height) override {
      owner_.pages.push_back({image.width(), image.height(), width, height});
    }
    std::string endDocument() override {
      ++owner_.ended;
      return owner_.jobRefusal;
    }

   private:
    RecordingPrinters& owner_;
  };
};

template <typename PrintSystem>
class DeliveryTestOf : public JobTest {
 protected:
  DeliveryTestOf() { job = std::make_unique<OutputJob>(OutputJobParts{ui, desktop, programFolder()}); }

  static std::string programFolder() { return tempRoot() + "/program"; }
  static std::string appFolder(const std::string& name) { return tempRoot() + "/appdata/Ostrel/" + name; }

  PrintSystem printers;
  std::vector<std::string> windowTitles;
  DesktopDelivery desktop{{ui, printers, programFolder(), [this] { return windowTitles; }, std::chrono::seconds(15), {}, {}}};
};

// A page of one dark grey, so where it lands on paper can be measured.
inline Dib darkPage(int width, int height) { return plainPage(8, width, height, 40); }

}  // namespace ostrel::testing
