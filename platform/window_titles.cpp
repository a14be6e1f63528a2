#include "platform/window_titles.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace ostrel::platform {

namespace {

// xcb hands out replies allocated with malloc.
struct Free {
  void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply>
using Owned = std::unique_ptr<Reply, Free>;

struct Disconnect {
  void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
  const Owned<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// Titles are short; a property longer than this is cut.
constexpr std::uint32_t kMaxTitleWords = 1024;

xcb_get_property_cookie_t askProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                                      xcb_atom_t type, std::uint32_t words) {
  return xcb_get_property(connection, 0, window, property, type, 0, words);
}

std::string text(const Owned<xcb_get_property_reply_t>& reply) {
  if (!reply || reply->format != 8) return {};
  return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                     static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

// WM_NAME of type STRING is Latin-1.
std::string latin1ToUtf8(const std::string& latin1) {
  std::string utf8;
  for (const char c : latin1) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (byte >> 6));
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

}  // namespace

std::vector<std::string> topLevelWindowTitles() {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return {};
  int screenNumber = 0;
  const std::unique_ptr<xcb_connection_t, Disconnect> owned(xcb_connect(display, &screenNumber));
  xcb_connection_t* connection = owned.get();
  if (xcb_connection_has_error(connection)) return {};
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
  if (screens.rem == 0) return {};

  const xcb_atom_t clientList = atom(connection, "_NET_CLIENT_LIST");
  const xcb_atom_t netName = atom(connection, "_NET_WM_NAME");
  const xcb_atom_t utf8 = atom(connection, "UTF8_STRING");
  if (clientList == XCB_ATOM_NONE) return {};
  const Owned<xcb_get_property_reply_t> list(xcb_get_property_reply(
      connection, askProperty(connection, screens.data->root, clientList, XCB_ATOM_WINDOW, 1 << 16), nullptr));
  if (!list || list->format != 32) return {};
  const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(list.get()));
  const int count = xcb_get_property_value_length(list.get()) / 4;

  // Every request goes out before the first answer is awaited.
  std::vector<std::pair<xcb_get_property_cookie_t, xcb_get_property_cookie_t>> cookies;
  for (int i = 0; i < count; ++i) {
    cookies.emplace_back(askProperty(connection, windows[i], netName, utf8, kMaxTitleWords),
                         askProperty(connection, windows[i], XCB_ATOM_WM_NAME, XCB_ATOM_STRING, kMaxTitleWords));
  }
  std::vector<std::string> titles;
  for (const auto& [netCookie, plainCookie] : cookies) {
    const Owned<xcb_get_property_reply_t> net(xcb_get_property_reply(connection, netCookie, nullptr));
    const Owned<xcb_get_property_reply_t> plain(xcb_get_property_reply(connection, plainCookie, nullptr));
    std::string title = text(net);
    if (title.empty()) title = latin1ToUtf8(text(plain));
    titles.push_back(std::move(title));
  }
  return titles;
}

}  // namespace ostrel::platform
