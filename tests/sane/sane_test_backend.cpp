#include "tests/sane/sane_test_backend.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "tests/support/temp_home.h"
#include "tests/support/tool_run.h"

namespace ostrel::testing {

namespace {

const char* const kDefaults[] = {
    "number_of_devices 2",  "mode Gray",
    "depth 8",              "hand-scanner false",
    "three-pass false",     "three-pass-order RGB",
    "resolution_min 1.0",   "resolution_max 1200.0",
    "resolution_quant 1.0", "resolution 50.0",
    "test-picture \"Color pattern\"", "invert-endianess false",
    "read-limit false",     "read-limit-size 1",
    "read-delay false",     "read-delay-duration 1000",
    "read-status-code \"Default\"", "fuzzy-parameters false",
    "ppl-loss 0",           "non-blocking false",
    "select-fd false",      "enable-test-options false",
    "geometry_min 0.0",     "geometry_max 200.0",
    "geometry_quant 1.0",   "tl_x 0.0",
    "tl_y 0.0",             "br_x 80.0",
    "br_y 100.0",
};

// SANE reads SANE_CONFIG_DIR once per process, so the folder stays the same
// for the whole process and each test rewrites its files: the backend reads
// test.conf again whenever SANE is initialised. (CTest runs each test in a
// process of its own anyway.)
class ConfigFolder {
 public:
  ConfigFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ostrel-sane-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~ConfigFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string keyOf(const std::string& line) { return line.substr(0, line.find(' ')); }

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

}  // namespace

void useSaneTestBackend(const std::vector<std::string>& settings) {
  static ConfigFolder folder;
  std::vector<std::string> lines(std::begin(kDefaults), std::end(kDefaults));
  for (const std::string& setting : settings) {
    bool replaced = false;
    for (std::string& line : lines) {
      if (keyOf(line) == keyOf(setting)) {
        line = setting;
        replaced = true;
      }
    }
    if (!replaced) lines.push_back(setting);
  }
  std::string conf;
  for (const std::string& line : lines) conf += line + "\n";
  writeFile(folder.path() + "/dll.conf", "test\n");
  writeFile(folder.path() + "/test.conf", conf);
  ::setenv("SANE_CONFIG_DIR", folder.path().c_str(), 1);
}

std::optional<Pnm> scanimage(const std::vector<std::string>& arguments) {
  const std::string file = tempRoot() + "/scanimage.pnm";
  std::string command = "scanimage -d test:0 --format=pnm";
  for (const std::string& argument : arguments) command += " " + quoted(argument);
  const ToolRun run = runTool(command + " --output-file " + quoted(file));
  if (run.status != 0) return std::nullopt;

  std::ifstream in(file, std::ios::binary);
  Pnm pnm;
  std::string magic;
  in >> magic;
  if (magic.size() != 2 || magic[0] != 'P') return std::nullopt;
  pnm.kind = magic[1];
  const auto number = [&](int& value) {
    in >> std::ws;
    while (in.peek() == '#') {
      std::string comment;
      std::getline(in, comment);
      in >> std::ws;
    }
    in >> value;
  };
  number(pnm.width);
  number(pnm.height);
  if (pnm.kind != '4') number(pnm.maxValue);
  in.get();  // the one blank before the data
  pnm.data.assign(std::istreambuf_iterator<char>(in), {});
  return pnm;
}

std::vector<std::string> scanimageArguments(const std::string& settingsLine) {
  std::map<std::string, std::string> values;
  std::istringstream words(settingsLine);
  for (std::string word; words >> word;) {
    const std::size_t equals = word.find('=');
    if (equals != std::string::npos) values[word.substr(0, equals)] = word.substr(equals + 1);
  }
  // The source's value may hold blanks ("Automatic Document Feeder"): it runs
  // from "source=" to " mode=".
  const std::size_t from = settingsLine.find("source=");
  const std::size_t to = settingsLine.find(" mode=");
  std::vector<std::string> arguments;
  if (from != std::string::npos && to != std::string::npos) {
    arguments = {"--source", settingsLine.substr(from + 7, to - from - 7)};
  }
  for (const char* name : {"mode", "depth", "resolution"}) {
    if (values.count(name)) arguments.insert(arguments.end(), {std::string("--") + name, values[name]});
  }
  // A hand scanner has no area to set.
  if (values.count("tl-x") && values.count("tl-y") && values.count("br-x") && values.count("br-y")) {
    const auto text = [](double value) {
      std::ostringstream out;
      out << value;
      return out.str();
    };
    const double left = std::stod(values["tl-x"]), top = std::stod(values["tl-y"]);
    arguments.insert(arguments.end(), {"-l", values["tl-x"], "-t", values["tl-y"], "-x",
                                       text(std::stod(values["br-x"]) - left), "-y",
                                       text(std::stod(values["br-y"]) - top)});
  }
  return arguments;
}

std::string firstDifference(const Dib& page, const Pnm& pnm) {
  if (page.width() != pnm.width || page.height() != pnm.height) {
    return "size " + std::to_string(page.width()) + "x" + std::to_string(page.height()) + " against " +
           std::to_string(pnm.width) + "x" + std::to_string(pnm.height);
  }
  const std::size_t bytesPerSample = pnm.maxValue > 255 ? 2 : 1;
  const std::size_t channels = pnm.kind == '6' ? 3 : 1;
  std::size_t pnmRow =
      pnm.kind == '4' ? (static_cast<std::size_t>(pnm.width) + 7) / 8 : pnm.width * channels * bytesPerSample;
  const auto lines = static_cast<std::size_t>(pnm.height);
  if (lines == 0 || pnm.data.size() < pnmRow * lines) return "the PNM data is short";
  // scanimage writes each line as the backend sends it, padding included.
  if (pnm.data.size() % lines == 0) pnmRow = pnm.data.size() / lines;
  for (int y = 0; y < page.height(); ++y) {
    const std::uint8_t* ours = page.row(y);
    const std::uint8_t* theirs = pnm.data.data() + pnmRow * static_cast<std::size_t>(y);
    for (int x = 0; x < page.width(); ++x) {
      bool same = true;
      if (pnm.kind == '4') {
        const bool black = (theirs[x / 8] >> (7 - x % 8)) & 1;
        const bool ourWhite = (ours[x / 8] >> (7 - x % 8)) & 1;
        same = page.bitsPerPixel() == 1 && black != ourWhite;
      } else if (pnm.kind == '5') {
        same = page.bitsPerPixel() == 8 && ours[x] == theirs[bytesPerSample * x];
      } else {
        for (std::size_t c = 0; c < 3; ++c) {
          same = same && page.bitsPerPixel() == 24 && ours[3 * x + 2 - c] == theirs[bytesPerSample * (3 * x + c)];
        }
      }
      if (!same) return "pixel " + std::to_string(x) + "," + std::to_string(y);
    }
  }
  return {};
}

}  // namespace ostrel::testing
