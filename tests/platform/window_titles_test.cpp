#include "platform/window_titles.h"

#include <gmock/gmock.h>
#include <stdlib.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

#include "tests/support/scoped_environment.h"
#include "tests/support/x_display.h"

namespace ostrel::platform {
namespace {

using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t result = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return result;
}

void setText(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
             const std::string& text) {
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, type, 8,
                      static_cast<std::uint32_t>(text.size()), text.data());
}

TEST(WindowTitles, NoDisplayMeansNoWindow) {
  for (const char* display : {static_cast<const char*>(nullptr), "", ":65000"}) {
    const testing::ScopedEnvironment unreachable("DISPLAY", display);
    EXPECT_THAT(topLevelWindowTitles(), IsEmpty()) << (display ? display : "no DISPLAY");
  }
}

// The test plays the window manager: it makes the windows and keeps the list.
TEST(WindowTitles, ReadsTheClientListOfTheDisplay) {
  testing::XDisplay server;
  if (!server.started()) GTEST_SKIP() << "Xvfb cannot be started here";
  const testing::ScopedEnvironment display("DISPLAY", server.display());
  EXPECT_THAT(topLevelWindowTitles(), IsEmpty()) << "no window manager keeps a client list yet";

  xcb_connection_t* connection = xcb_connect(server.display().c_str(), nullptr);
  ASSERT_FALSE(xcb_connection_has_error(connection));
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  xcb_window_t windows[3];
  for (xcb_window_t& window : windows) {
    window = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 100, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
  }
  const xcb_atom_t netName = atom(connection, "_NET_WM_NAME");
  const xcb_atom_t utf8 = atom(connection, "UTF8_STRING");
  setText(connection, windows[0], netName, utf8, "Presto! PageManager 9 Standard - /home/ana/Scans été");
  setText(connection, windows[0], XCB_ATOM_WM_NAME, XCB_ATOM_STRING, "stale plain title");
  setText(connection, windows[1], XCB_ATOM_WM_NAME, XCB_ATOM_STRING, "Caf\xe9 notes");  // Latin-1
  const xcb_atom_t clientList = atom(connection, "_NET_CLIENT_LIST");
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, screen->root, clientList, XCB_ATOM_WINDOW, 32, 3, windows);
  // A round trip: the server has every change before the lookup asks.
  std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));

  EXPECT_THAT(topLevelWindowTitles(),
              UnorderedElementsAre("Presto! PageManager 9 Standard - /home/ana/Scans été", "Café notes", ""));
  xcb_disconnect(connection);
}

}  // namespace
}  // namespace ostrel::platform
