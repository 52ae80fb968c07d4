#include "engine/main_thread.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace mv {

namespace {

struct Task {
  const std::function<void()>* procedure;
  bool done = false;
  std::exception_ptr failure;
};

std::mutex queue_mutex;
std::condition_variable queue_changed;  // a task was posted, or a wake-up
std::condition_variable task_done;
std::deque<Task*> queue;
bool wake_pending = false;
std::atomic<std::thread::id> main_id{std::this_thread::get_id()};

}  // namespace

void mark_main_thread() {
  main_id.store(std::this_thread::get_id());
}

bool on_main_thread() {
  return std::this_thread::get_id() == main_id.load(std::memory_order_relaxed);
}

void post_to_main_thread_and_wait(const std::function<void()>& f) {
  if (on_main_thread()) {
    f();
    return;
  }
  Task task{&f};
  std::unique_lock<std::mutex> lock(queue_mutex);
  queue.push_back(&task);
  queue_changed.notify_all();
  task_done.wait(lock, [&] { return task.done; });
  if (task.failure) std::rethrow_exception(task.failure);
}

int run_main_thread_tasks() {
  int ran = 0;
  std::unique_lock<std::mutex> lock(queue_mutex);
  while (!queue.empty()) {
    Task* task = queue.front();
    queue.pop_front();
    lock.unlock();
    try {
      (*task->procedure)();
    } catch (...) {
      task->failure = std::current_exception();
    }
    ++ran;
    lock.lock();
    task->done = true;
    task_done.notify_all();
  }
  return ran;
}

void wait_for_main_thread_work(std::chrono::microseconds timeout) {
  std::unique_lock<std::mutex> lock(queue_mutex);
  queue_changed.wait_for(lock, timeout, [] { return !queue.empty() || wake_pending; });
  wake_pending = false;
}

void wake_main_thread() {
  std::lock_guard<std::mutex> lock(queue_mutex);
  wake_pending = true;
  queue_changed.notify_all();
}

}  // namespace mv
