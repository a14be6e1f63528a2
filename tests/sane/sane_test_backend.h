#pragma once
// SANE's own test backend as the only scanner the tests see, never real
// hardware, and scanimage's output of the same scan to compare pages with.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "imaging/dib.h"

namespace ostrel::testing {

// Points SANE_CONFIG_DIR at a folder whose dll.conf lists only "test", with a
// test.conf of the backend's defaults (two devices, the colour pattern) in
// which each "key value" line given replaces the line of its key.
void useSaneTestBackend(const std::vector<std::string>& settings = {});

// A PNM file as scanimage writes it: P4 (1 = black), P5 or P6, 8 or 16 bits.
struct Pnm {
  char kind = 0;
  int width = 0, height = 0, maxValue = 1;
  std::vector<std::uint8_t> data;
};

// scanimage -d test:0 with the arguments; nullopt when it fails.
std::optional<Pnm> scanimage(const std::vector<std::string>& arguments);

// scanimage's arguments for the options a data source's session record says
// it set ("# SANE source=... mode=... br-y=...").
std::vector<std::string> scanimageArguments(const std::string& settingsLine);

// The first pixel where the page and the PNM differ, as text; empty when they
// show the same picture (16-bit samples compared by their high byte).
std::string firstDifference(const Dib& page, const Pnm& pnm);

}  // namespace ostrel::testing
