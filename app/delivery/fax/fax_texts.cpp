#include "app/delivery/fax/fax_texts.h"

#include <charconv>
#include <cstdio>

namespace ostrel {

std::string creditText(int credit) {
  if (credit == 0) return {};
  if (credit < 0) return std::to_string(credit);
  std::string digits = std::to_string(credit);
  std::string grouped;
  const std::size_t head = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
  grouped = digits.substr(0, head);
  for (std::size_t at = head; at < digits.size(); at += 3) grouped += "," + digits.substr(at, 3);
  return grouped;
}

std::string documentSizeText(std::uintmax_t bytes) {
  char text[64];
  if (bytes < 1024) {
    std::snprintf(text, sizeof text, "%6d bytes", static_cast<int>(bytes));
  } else if (bytes < 1024 * 1024) {
    std::snprintf(text, sizeof text, "%6.1f KB", static_cast<double>(bytes) / 1024.0);
  } else {
    std::snprintf(text, sizeof text, "%6.1f MB", static_cast<double>(bytes) / 1048576.0);
  }
  return text;
}

std::vector<FaxCountry> parseCountryList(std::string_view text) {
  std::vector<FaxCountry> countries;
  while (!text.empty()) {
    const std::size_t end = text.find('\b');
    const std::string_view entry = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const std::size_t equals = entry.rfind('=');
    if (equals == std::string_view::npos || equals == 0) continue;
    const std::string_view number = entry.substr(equals + 1);
    int code = 0;
    const auto [last, error] = std::from_chars(number.data(), number.data() + number.size(), code);
    if (error != std::errc() || last != number.data() + number.size()) continue;
    countries.push_back({std::string(entry.substr(0, equals)), code});
  }
  return countries;
}

std::vector<std::string> historyEntries(std::string_view history) {
  std::vector<std::string> entries;
  while (!history.empty()) {
    const std::size_t comma = history.find(',');
    if (const std::string_view entry = history.substr(0, comma); !entry.empty()) entries.emplace_back(entry);
    if (comma == std::string_view::npos) break;
    history.remove_prefix(comma + 1);
  }
  return entries;
}

std::optional<std::string> historyWith(std::string_view history, std::string_view receiver) {
  if (receiver.empty() || history.find(receiver) != std::string_view::npos) return std::nullopt;
  if (history.empty()) return std::string(receiver);
  return std::string(history) + "," + std::string(receiver);
}

std::string escapeHtml(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&#39;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string coverPageHtml(std::string_view text, int pixelSize) {
  std::string html = "<html><head><title> </title></head><body>";
  const std::string open = "<p style=\"font-size:" + std::to_string(pixelSize) + "px\">";
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    html += open + escapeHtml(line) + "</p>";
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return html + "</body></html>";
}

}  // namespace ostrel
