#include "app/core/job_runner.h"

namespace ostrel {

void WorkerJobRunner::start(Job job) {
  // The last job has reported its end: its thread is returning, if not gone.
  if (worker_.joinable()) worker_.join();
  worker_ = std::thread(std::move(job), stopToken());
}

void WorkerJobRunner::stopAndWait() {
  requestStop();
  if (worker_.joinable()) worker_.join();
}

}  // namespace ostrel
