// Arrivals taken one at a time on a worker thread of their own, so the
// platform's notification returns at once. Stopping lets the arrival under
// way finish (a sensor is never left half written) and drops the rest.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace kv::service {

class ArrivalQueue {
 public:
  explicit ArrivalQueue(std::function<void(const std::string&)> work);
  ~ArrivalQueue();
  ArrivalQueue(const ArrivalQueue&) = delete;
  ArrivalQueue& operator=(const ArrivalQueue&) = delete;

  // A path already waiting is not queued twice (one device can be
  // announced more than once); nothing is queued after Stop.
  void Post(const std::string& path);
  // Drops the arrivals waiting and takes no more; returns at once.
  void RequestStop();
  // RequestStop, then waits for the arrival under way and ends the thread.
  void Stop();

 private:
  void Run();

  std::function<void(const std::string&)> work_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::string> waiting_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace kv::service
