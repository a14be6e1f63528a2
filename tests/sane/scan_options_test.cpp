// Choices made from a scanner's options, and a scan request applied to a
// recorded device: what is set, in which order, and what is left alone.
#include <gtest/gtest.h>

#include <map>

#include "scanners/sane/scan_options.h"
#include "scanners/sane/scanner_setup.h"

namespace ostrel::sane {
namespace {

OptionDescription strings(std::string name, std::vector<std::string> values) {
  OptionDescription option;
  option.name = std::move(name);
  option.type = OptionType::String;
  option.strings = std::move(values);
  return option;
}

OptionDescription numbers(std::string name, OptionType type, OptionUnit unit, std::optional<OptionRange> range,
                          std::vector<double> list = {}) {
  OptionDescription option;
  option.name = std::move(name);
  option.type = type;
  option.unit = unit;
  option.range = range;
  option.numbers = std::move(list);
  return option;
}

TEST(ScanOptions, SourcesAreKnownByTheirWords) {
  const auto source = strings("source", {"Flatbed", "ADF Front", "ADF Back", "ADF Duplex"});
  const SourceOffer offer = sourcesOffered(&source);
  EXPECT_TRUE(offer.flatbed && offer.feeder && offer.duplex);
  EXPECT_EQ(chooseSource(source, PaperSource::Feeder), "ADF Front");
  EXPECT_EQ(chooseSource(source, PaperSource::DuplexFeeder), "ADF Duplex");
  EXPECT_EQ(chooseSource(source, PaperSource::Flatbed), "Flatbed");

  // A feeder without duplex takes one side; a scanner without a feeder offers none.
  const auto simplex = strings("source", {"Document Table", "Automatic Document Feeder"});
  EXPECT_EQ(chooseSource(simplex, PaperSource::DuplexFeeder), "Automatic Document Feeder");
  EXPECT_EQ(chooseSource(simplex, PaperSource::Flatbed), "Document Table");
  EXPECT_FALSE(sourcesOffered(&simplex).duplex);
  const auto film = strings("source", {"Flatbed", "Transparency Adapter"});
  EXPECT_FALSE(chooseSource(film, PaperSource::Feeder));
  EXPECT_FALSE(sourcesOffered(&film).feeder);

  // No source option: a flatbed.
  const SourceOffer none = sourcesOffered(nullptr);
  EXPECT_TRUE(none.flatbed);
  EXPECT_FALSE(none.feeder);
}

TEST(ScanOptions, ModesFallBackToTheNearestKind) {
  const auto full = strings("mode", {"Lineart", "Halftone", "Gray", "Color"});
  EXPECT_EQ(chooseMode(full, PixelKind::BlackWhite), "Lineart");
  EXPECT_EQ(chooseMode(full, PixelKind::Grey), "Gray");
  EXPECT_EQ(chooseMode(full, PixelKind::Colour), "Color");
  const auto vendor = strings("mode", {"Black & White", "True Gray", "24bit Color"});
  EXPECT_EQ(chooseMode(vendor, PixelKind::BlackWhite), "Black & White");
  EXPECT_EQ(chooseMode(vendor, PixelKind::Grey), "True Gray");
  EXPECT_EQ(chooseMode(vendor, PixelKind::Colour), "24bit Color");
  const auto twoModes = strings("mode", {"Gray", "Color"});
  EXPECT_EQ(chooseMode(twoModes, PixelKind::BlackWhite), "Gray");
  EXPECT_FALSE(isLineartMode("Gray"));
  const auto colourOnly = strings("mode", {"Color"});
  EXPECT_EQ(chooseMode(colourOnly, PixelKind::BlackWhite), "Color");
  const auto greyOnly = strings("mode", {"Grayscale"});
  EXPECT_EQ(chooseMode(greyOnly, PixelKind::Colour), "Grayscale");
}

TEST(ScanOptions, NumbersComeNearestToWhatIsAsked) {
  const auto range = numbers("resolution", OptionType::Fixed, OptionUnit::Dpi, OptionRange{50, 600, 25});
  EXPECT_EQ(chooseNumber(range, 200), 200);
  EXPECT_EQ(chooseNumber(range, 210), 200);
  EXPECT_EQ(chooseNumber(range, 1200), 600);
  EXPECT_EQ(chooseNumber(range, 10), 50);
  const auto odd = numbers("resolution", OptionType::Int, OptionUnit::Dpi, OptionRange{50, 610, 100});
  EXPECT_EQ(chooseNumber(odd, 600), 550);  // the last step inside the range
  const auto list = numbers("resolution", OptionType::Int, OptionUnit::Dpi, std::nullopt, {75, 150, 300, 600});
  EXPECT_EQ(chooseNumber(list, 200), 150);
  EXPECT_EQ(chooseNumber(list, 240), 300);
  EXPECT_EQ(largestNumber(list), 600);
  EXPECT_EQ(chooseNumber(strings("resolution", {"High"}), 200), std::nullopt);

  const auto depths = numbers("depth", OptionType::Int, OptionUnit::Bit, std::nullopt, {1, 8, 16});
  EXPECT_EQ(chooseDepth(depths, 1), 1);
  const auto deep = numbers("depth", OptionType::Int, OptionUnit::Bit, std::nullopt, {16});
  EXPECT_EQ(chooseDepth(deep, 1), 16);
  EXPECT_EQ(chooseDepth(numbers("depth", OptionType::Int, OptionUnit::Bit, std::nullopt, {12}), 8), std::nullopt);
}

TEST(ScanOptions, DoubleFeedOptionsAreSwitchedByTheirKind) {
  EXPECT_TRUE(isDoubleFeedOption("double-feed-detection"));
  EXPECT_TRUE(isDoubleFeedOption("df-thickness"));
  EXPECT_TRUE(isDoubleFeedOption("ultrasonic"));
  EXPECT_FALSE(isDoubleFeedOption("resolution"));

  OptionDescription flag;
  flag.name = "df-thickness";
  flag.type = OptionType::Bool;
  EXPECT_EQ(chooseDoubleFeed(flag, true), OptionValue{true});
  EXPECT_EQ(chooseDoubleFeed(flag, false), OptionValue{false});
  const auto action = strings("df-action", {"Default", "Continue", "Stop"});
  EXPECT_EQ(chooseDoubleFeed(action, true), OptionValue{std::string("Stop")});
  EXPECT_EQ(chooseDoubleFeed(action, false), OptionValue{std::string("Continue")});
  flag.settable = false;
  EXPECT_FALSE(chooseDoubleFeed(flag, true));
}

// A device that keeps its options in a map and records every set.
class RecordedDevice : public OptionAccess {
 public:
  std::vector<OptionDescription> options() const override {
    std::vector<OptionDescription> all = described;
    if (feederArea && values.count("source") && std::get<std::string>(values.at("source")) != "Flatbed") {
      for (auto& option : all) {
        if (option.name == "br-y") option.range->max = 356;  // a feeder takes longer sheets
      }
    }
    return all;
  }
  bool set(std::string_view name, const OptionValue& value, std::string* error) override {
    sets.push_back(std::string(name) + "=" + valueText(value));
    if (name == refuse) {
      if (error) *error = "refused";
      return false;
    }
    values[std::string(name)] = value;
    return true;
  }
  std::optional<OptionValue> value(std::string_view name) const override {
    const auto it = values.find(std::string(name));
    if (it == values.end()) return std::nullopt;
    return it->second;
  }

  std::vector<OptionDescription> described;
  std::map<std::string, OptionValue> values;
  std::vector<std::string> sets;
  std::string refuse;
  bool feederArea = true;
};

RecordedDevice scanner() {
  RecordedDevice device;
  const auto mm = [](const char* name, double max) {
    return numbers(name, OptionType::Fixed, OptionUnit::Millimetre, OptionRange{0, max, 0});
  };
  device.described = {strings("source", {"Flatbed", "ADF", "ADF Duplex"}),
                      strings("mode", {"Gray", "Color"}),
                      numbers("depth", OptionType::Int, OptionUnit::Bit, std::nullopt, {1, 8, 16}),
                      numbers("resolution", OptionType::Int, OptionUnit::Dpi, std::nullopt, {100, 200, 300}),
                      mm("tl-x", 216), mm("tl-y", 297), mm("br-x", 216), mm("br-y", 297)};
  OptionDescription doubleFeed;
  doubleFeed.name = "double-feed-detection";
  doubleFeed.type = OptionType::Bool;
  device.described.push_back(doubleFeed);
  return device;
}

TEST(ScannerSetup, AbilitiesReadEachSourcesArea) {
  RecordedDevice device = scanner();
  const DeviceAbilities abilities = readAbilities(device);
  EXPECT_TRUE(abilities.flatbed && abilities.feeder && abilities.duplex && abilities.doubleFeedDetection);
  EXPECT_EQ(abilities.flatbedArea.width, 216);
  EXPECT_EQ(abilities.flatbedArea.length, 297);
  EXPECT_EQ(abilities.feederArea.length, 356);
  EXPECT_EQ(threeHundredths(abilities.feederArea.length), 4205);
  EXPECT_EQ(threeHundredths(200), 2362);
}

TEST(ScannerSetup, RequestSetsSourceModeDepthResolutionThenTheArea) {
  RecordedDevice device = scanner();
  ScanRequest request;
  request.kind = PixelKind::BlackWhite;
  request.resolution = 240;
  request.area = AreaMm{5, 10, 100, 150};
  request.source = PaperSource::DuplexFeeder;
  request.doubleFeedDetection = true;
  const AppliedScan applied = applyRequest(device, request);
  EXPECT_EQ(device.sets, (std::vector<std::string>{"source=ADF Duplex", "mode=Gray", "depth=1", "resolution=200",
                                                   "tl-x=0", "tl-y=0", "br-x=100", "br-y=150", "tl-x=5", "tl-y=10",
                                                   "double-feed-detection=yes"}));
  EXPECT_EQ(applied.resolution, 200);
  EXPECT_TRUE(applied.problems.empty());
  EXPECT_EQ(applied.settings.front(), "source=ADF Duplex");
  EXPECT_EQ(applied.settings.back(), "double-feed-detection=yes");
}

TEST(ScannerSetup, WithoutAnAreaTheWholeAreaAndRefusalsAreReported) {
  RecordedDevice device = scanner();
  device.refuse = "resolution";
  ScanRequest request;
  request.kind = PixelKind::Colour;
  request.source = PaperSource::Flatbed;
  const AppliedScan applied = applyRequest(device, request);
  EXPECT_EQ(device.sets, (std::vector<std::string>{"source=Flatbed", "mode=Color", "depth=8", "resolution=200",
                                                   "tl-x=0", "tl-y=0", "br-x=216", "br-y=297", "tl-x=0", "tl-y=0"}));
  ASSERT_EQ(applied.problems.size(), 1u);
  EXPECT_NE(applied.problems[0].find("resolution=200 refused"), std::string::npos);
  EXPECT_EQ(applied.resolution, 200);  // what was asked, since the device holds no value

  // A device without an area in millimetres keeps its own, and says so.
  RecordedDevice bare;
  bare.described = {strings("mode", {"Lineart", "Gray"})};
  request.kind = PixelKind::BlackWhite;
  request.area = AreaMm{0, 0, 10, 10};
  const AppliedScan plain = applyRequest(bare, request);
  EXPECT_EQ(bare.sets, (std::vector<std::string>{"mode=Lineart"}));
  ASSERT_EQ(plain.problems.size(), 1u);
  EXPECT_NE(plain.problems[0].find("own area"), std::string::npos);
}

}  // namespace
}  // namespace ostrel::sane
