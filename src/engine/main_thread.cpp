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
  const std::function<void()>* procedure = nullptr;
  std::function<void()> owned;  // a posted procedure nobody waits for
  bool done = false;
  std::exception_ptr failure;
  // Each waiting worker sleeps on its own task, so finishing one wakes only that worker and
  // the workers never contend for the queue while they wait.
  std::mutex mutex;
  std::condition_variable finished;
};

std::mutex queue_mutex;
std::condition_variable queue_changed;  // a task was posted, or a wake-up
std::deque<Task*> queue;
bool wake_pending = false;
std::atomic<bool> main_sleeping{false};
std::atomic<std::thread::id> main_id{std::this_thread::get_id()};
// Work posted or events announced for the main thread that have not woken it yet.
std::atomic<int> unannounced{0};
// So many unannounced posts or events wake the main thread at once.
constexpr int announce_batch = 32;

void enqueue(Task* task, bool wake) {
  bool sleeping = false;
  {
    std::lock_guard<std::mutex> lock(queue_mutex);
    queue.push_back(task);
    sleeping = wake && main_sleeping.load();
  }
  if (sleeping) queue_changed.notify_one();
}

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
  Task task;
  task.procedure = &f;
  enqueue(&task, true);
  {
    std::unique_lock<std::mutex> lock(task.mutex);
    task.finished.wait(lock, [&] { return task.done; });
  }
  if (task.failure) std::rethrow_exception(task.failure);
}

void post_to_main_thread(std::function<void()> f) {
  if (on_main_thread()) {
    f();
    return;
  }
  auto* task = new Task;
  task->owned = std::move(f);
  enqueue(task, false);
  wake_main_thread_later();
}

int run_main_thread_tasks() {
  int ran = 0;
  std::unique_lock<std::mutex> lock(queue_mutex);
  while (!queue.empty()) {
    Task* task = queue.front();
    queue.pop_front();
    lock.unlock();
    ++ran;
    if (task->procedure == nullptr) {
      // Nobody waits to hear of a failure here; the procedure reports its own outcome.
      try {
        task->owned();
      } catch (...) {
      }
      delete task;
      lock.lock();
      continue;
    }
    try {
      (*task->procedure)();
    } catch (...) {
      task->failure = std::current_exception();
    }
    {
      // The task lives on its worker's stack: it may be gone once done is set and the task's
      // mutex released, so the notification comes under the mutex.
      std::lock_guard<std::mutex> guard(task->mutex);
      task->done = true;
      task->finished.notify_one();
    }
    lock.lock();
  }
  return ran;
}

void wait_for_main_thread_work(std::chrono::microseconds timeout,
                               const std::function<bool()>& ready) {
  std::unique_lock<std::mutex> lock(queue_mutex);
  // Published before ready() is read: a waker that changes what ready() reads and then finds
  // main_sleeping clear knows that ready() will see its change.
  main_sleeping.store(true);
  if (!(ready && ready())) {
    queue_changed.wait_for(lock, timeout, [] { return !queue.empty() || wake_pending; });
  }
  main_sleeping.store(false);
  wake_pending = false;
  unannounced.store(0);
}

void wake_main_thread_later() {
  if (unannounced.fetch_add(1) + 1 >= announce_batch) announce_main_thread_work();
}

void announce_main_thread_work() {
  if (unannounced.load(std::memory_order_relaxed) > 0 && unannounced.exchange(0) > 0) {
    wake_main_thread();
  }
}

void wake_main_thread() {
  if (!main_sleeping.load()) return;
  {
    std::lock_guard<std::mutex> lock(queue_mutex);
    wake_pending = true;
  }
  queue_changed.notify_one();
}

}  // namespace mv
