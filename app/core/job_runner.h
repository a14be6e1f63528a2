#pragma once
// Where a button's scan job runs. On a worker thread in the program, so the
// panel and the notification icon answer while the pages come in; inline in
// tests that drive the dispatch step by step. The job talks back to the panel's
// thread only through report(), whose calls run there in the order they were
// made.
#include <functional>
#include <stop_token>
#include <thread>

namespace ostrel {

class JobRunner {
 public:
  using Job = std::function<void(std::stop_token)>;
  using Call = std::function<void()>;

  virtual ~JobRunner() = default;

  // Runs the job. A caller starts the next one only once the last one has
  // reported its end.
  virtual void start(Job job) = 0;
  // Called by the job: runs call on the thread that started it.
  virtual void report(Call call) = 0;

  // The manager is ending: the running job ends its pass after the page in hand
  // and whatever it still asks of the user counts as cancelled. For good: a
  // runner serves one run of the manager.
  void requestStop() { stop_.request_stop(); }
  bool stopRequested() const { return stop_.stop_requested(); }
  std::stop_token stopToken() const { return stop_.get_token(); }

 private:
  std::stop_source stop_;
};

// The job runs inside start() and its reports at once.
class InlineJobRunner final : public JobRunner {
 public:
  void start(Job job) override { job(stopToken()); }
  void report(Call call) override { call(); }
};

// Each job runs on a thread of its own; post hands its reports to the thread
// that started it (the panel's event loop), and drops them when that loop is gone.
class WorkerJobRunner final : public JobRunner {
 public:
  explicit WorkerJobRunner(std::function<void(Call)> post) : post_(std::move(post)) {}
  ~WorkerJobRunner() override { stopAndWait(); }
  WorkerJobRunner(const WorkerJobRunner&) = delete;
  WorkerJobRunner& operator=(const WorkerJobRunner&) = delete;

  void start(Job job) override;
  void report(Call call) override { post_(std::move(call)); }

  // The panel's thread is ending: a job still running is stopped and waited for.
  void stopAndWait();

 private:
  std::function<void(Call)> post_;
  std::thread worker_;
};

}  // namespace ostrel
