#include "arrival_queue.h"

#include <algorithm>

namespace kv::service {

ArrivalQueue::ArrivalQueue(std::function<void(const std::string&)> work)
    : work_(std::move(work)), thread_([this] { Run(); }) {}

ArrivalQueue::~ArrivalQueue() {
  Stop();
}

void ArrivalQueue::Post(const std::string& path) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_ || std::find(waiting_.begin(), waiting_.end(), path) != waiting_.end()) return;
    waiting_.push_back(path);
  }
  wake_.notify_one();
}

void ArrivalQueue::RequestStop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    waiting_.clear();
  }
  wake_.notify_one();
}

void ArrivalQueue::Stop() {
  RequestStop();
  if (thread_.joinable()) thread_.join();
}

void ArrivalQueue::Run() {
  for (;;) {
    std::string path;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
      if (stopping_) return;
      path = std::move(waiting_.front());
      waiting_.pop_front();
    }
    work_(path);
  }
}

}  // namespace kv::service
