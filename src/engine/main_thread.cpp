#include "engine/main_thread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace mv {

namespace {

struct Task {
  const std::function<void()>* procedure;
  std::atomic<bool> done{false};
  std::exception_ptr failure;
  // Its own signal, so finishing one task wakes only the thread that waits for it, not every
  // worker waiting on the main thread.
  std::condition_variable finished;
};

// Both sides look for a short while before they sleep: an exchange round trip then costs a
// few microseconds instead of two wake-ups of a sleeping thread.
constexpr auto spin_time = std::chrono::microseconds(30);

template <class Ready>
bool spin_for(Ready ready) {
  const auto end = std::chrono::steady_clock::now() + spin_time;
  do {
    if (ready()) return true;
    std::this_thread::yield();
  } while (std::chrono::steady_clock::now() < end);
  return ready();
}

std::mutex queue_mutex;
std::condition_variable queue_changed;  // a task was posted, or a wake-up
std::deque<Task*> queue;
bool wake_pending = false;
std::atomic<int> queued{0};  // tasks in the queue, read without the mutex by the spinning
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
  {
    std::lock_guard<std::mutex> lock(queue_mutex);
    queue.push_back(&task);
    queued.fetch_add(1);
  }
  queue_changed.notify_all();
  if (!spin_for([&] { return task.done.load(std::memory_order_acquire); })) {
    std::unique_lock<std::mutex> lock(queue_mutex);
    task.finished.wait(lock, [&] { return task.done.load(); });
  }
  if (task.failure) std::rethrow_exception(task.failure);
}

int run_main_thread_tasks() {
  int ran = 0;
  std::unique_lock<std::mutex> lock(queue_mutex);
  while (!queue.empty()) {
    Task* task = queue.front();
    queue.pop_front();
    queued.fetch_sub(1);
    lock.unlock();
    try {
      (*task->procedure)();
    } catch (...) {
      task->failure = std::current_exception();
    }
    ++ran;
    lock.lock();
    // The task lives on its worker's stack, and a spinning worker sees done without the mutex:
    // once done is set the task may be gone, so the notification comes first. A sleeping worker
    // wakes only after the mutex is released, and then finds done set.
    task->finished.notify_one();
    task->done.store(true, std::memory_order_release);
  }
  return ran;
}

void wait_for_main_thread_work(std::chrono::microseconds timeout) {
  if (spin_for([] { return queued.load(std::memory_order_acquire) > 0; })) return;
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
