// A scan job's thread asking the window thread: answers come from the window
// thread's event loop, and a stop request ends the wait even when that loop
// never gets to the question.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <future>
#include <thread>

#include "app/ui/more_pages_dialog.h"
#include "app/ui/window_thread.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;

TEST(WindowThread, AnotherThreadsCallIsAnsweredOnTheWindowThread) {
  std::stop_source stop;
  auto answer = std::async(std::launch::async, [&] {
    return callOnWindowThread<std::thread::id>(stop.get_token(), [] { return std::this_thread::get_id(); }, {});
  });
  ASSERT_TRUE(QTest::qWaitFor([&] { return answer.wait_for(0s) == std::future_status::ready; }, 5000));
  EXPECT_EQ(answer.get(), std::this_thread::get_id());
  // On the window thread itself the call runs at once.
  EXPECT_EQ(callOnWindowThread<int>(stop.get_token(), [] { return 7; }, 0), 7);
}

TEST(WindowThread, AStopEndsTheWaitAndTheQuestionIsNeverPut) {
  std::stop_source stop;
  std::atomic<bool> asked = false;
  auto answer = std::async(std::launch::async, [&] {
    return callOnWindowThread<int>(
        stop.get_token(),
        [&] {
          asked = true;
          return 1;
        },
        -1);
  });
  // The window thread does not get to the question before the manager ends.
  EXPECT_EQ(answer.wait_for(100ms), std::future_status::timeout);
  stop.request_stop();
  EXPECT_EQ(answer.get(), -1);
  QCoreApplication::processEvents();
  EXPECT_FALSE(asked);
}

// Acts on the prompt once it shows, from inside the prompt's own event loop.
void whenOpen(const QtMorePagesPrompt& prompt, std::function<void()> act) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, &prompt, act = std::move(act)] {
    if (!prompt.isOpen()) return;
    poll->stop();
    poll->deleteLater();
    act();
  });
  poll->start(10);
}

TEST(WindowThread, TheMorePagesPromptOfAJobOpensOnTheWindowThread) {
  std::stop_source stop;
  QtMorePagesPrompt prompt(stop.get_token());
  auto more = std::async(std::launch::async, [&] { return prompt.ask(); });
  whenOpen(prompt, [&] { prompt.accept(); });  // a press while it shows answers OK
  ASSERT_TRUE(QTest::qWaitFor([&] { return more.wait_for(0s) == std::future_status::ready; }, 5000));
  EXPECT_TRUE(more.get());
  EXPECT_FALSE(prompt.isOpen());

  auto finish = std::async(std::launch::async, [&] { return prompt.ask(); });
  whenOpen(prompt, [] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* dialog = qobject_cast<CMorePageDlg*>(w); dialog && dialog->isVisible()) {
        dialog->findChild<QPushButton*>(QStringLiteral("finish"))->click();
      }
    }
  });
  ASSERT_TRUE(QTest::qWaitFor([&] { return finish.wait_for(0s) == std::future_status::ready; }, 5000));
  EXPECT_FALSE(finish.get());
}

}  // namespace
}  // namespace ostrel
