// Balloons from the upload thread reach the panel on its own thread, and only
// while a panel is there to show them.
#include <gmock/gmock.h>

#include "app/delivery/balloon_relay.h"
#include "tests/manager/manager_fakes.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(BalloonRelay, ShowsOnThePanelsThreadOnlyWhileAPanelIsAttached) {
  std::vector<std::function<void()>> posted;  // the window thread's queue
  BalloonRelay relay([&posted](std::function<void()> call) { posted.push_back(std::move(call)); });
  Journal journal;
  FakePanel panel(journal);

  relay.show("before the panel");
  relay.attach(&panel);
  relay.show("failed upload");
  EXPECT_THAT(journal, IsEmpty());  // nothing shown from the calling thread
  for (auto& call : std::exchange(posted, {})) call();
  EXPECT_THAT(journal, ElementsAre("balloon before the panel", "balloon failed upload"));

  relay.show("after the panel");
  relay.attach(nullptr);
  for (auto& call : std::exchange(posted, {})) call();
  EXPECT_EQ(journal.size(), 2u);
}

}  // namespace
}  // namespace ostrel
