#pragma once
// A scanner's options as this program sees them, and the choices made from
// them for a scan: which source, mode, depth and resolution the device offers
// that come nearest to what was asked, and how a double-feed option is
// switched. Backends name their values freely ("ADF Duplex", "Black & White",
// "True Gray"), so values are recognised by the words they contain.
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ostrel::sane {

enum class OptionType { Bool, Int, Fixed, String, Button, Group };
enum class OptionUnit { None, Pixel, Bit, Millimetre, Dpi, Percent, Microsecond };

struct OptionRange {
  double min = 0, max = 0, quant = 0;
};

struct OptionDescription {
  std::string name;
  OptionType type = OptionType::Int;
  OptionUnit unit = OptionUnit::None;
  bool active = true;
  bool settable = true;
  // Set by hand on the scanner (a button, a knob): the sensors.
  bool hardSelect = false;
  int valueCount = 1;                // options holding arrays have more
  std::vector<std::string> strings;  // a list of allowed strings
  std::vector<double> numbers;       // a list of allowed numbers
  std::optional<OptionRange> range;  // or a range
};

using OptionValue = std::variant<bool, double, std::string>;
std::string valueText(const OptionValue& value);

// The active option of that name, or null.
const OptionDescription* findOption(const std::vector<OptionDescription>& options, std::string_view name);

enum class PixelKind { BlackWhite, Grey, Colour };
enum class PaperSource { Flatbed, Feeder, DuplexFeeder };

// What a source list offers.
struct SourceOffer {
  bool flatbed = false;
  bool feeder = false;
  bool duplex = false;
};
// A device without a source option is a flatbed.
SourceOffer sourcesOffered(const OptionDescription* source);

// Each choice is nullopt when the option offers nothing that fits: the
// device's own setting then stays.
std::optional<std::string> chooseSource(const OptionDescription& source, PaperSource wanted);
// Black and white falls back to grey, grey to colour, colour to grey.
std::optional<std::string> chooseMode(const OptionDescription& mode, PixelKind kind);
bool isLineartMode(std::string_view mode);
// 1 bit for black and white scanned as grey, else 8 (16 when 8 is not offered).
std::optional<double> chooseDepth(const OptionDescription& depth, int wanted);
// The allowed number nearest to wanted: clamped into a range and on its steps,
// or the nearest of a list.
std::optional<double> chooseNumber(const OptionDescription& option, double wanted);
// The highest value a number option allows; nullopt without a range or list.
std::optional<double> largestNumber(const OptionDescription& option);

bool isDoubleFeedOption(std::string_view name);
// The value that switches a double-feed option on or off.
std::optional<OptionValue> chooseDoubleFeed(const OptionDescription& option, bool on);

}  // namespace ostrel::sane
