#include "parallel/thread_framework.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <system_error>
#include <thread>

#include "engine/main_thread.h"
#include "engine/parameters.h"
#include "engine/run_driver.h"

namespace mv {

std::atomic<int> running_threads{0};
std::atomic<int32_t> thread_limit{0};
std::atomic<bool> simultaneous_mode1{true};
std::atomic<uint32_t> start_thread_id{0};
std::unique_ptr<ThreadRange[]> thread_ranges;
size_t thread_range_count = 0;
std::atomic<uint16_t> thread_range_next{1};
std::atomic<uint16_t> task_start{0};
std::atomic<uint16_t> task_parameter{0};
std::atomic<uint16_t> task_end{0};
std::atomic<bool> handover_pending{false};

namespace {

using namespace std::chrono_literals;

// A thread's queue of messages.
struct MessageQueue {
  std::mutex mutex;
  std::condition_variable arrived;
  std::deque<int> messages;
};

std::recursive_mutex the_lock;
std::mutex registry_mutex;  // guards the three below
std::vector<std::thread> started;
std::map<uint32_t, std::shared_ptr<MessageQueue>> queues;
uint32_t next_thread_id = main_thread_id + 1;

std::atomic<int> live{0};
std::atomic<bool> run_active{false};
thread_local uint32_t this_thread_id = 0;

// Element locks for PairGuard, striped by position.
constexpr size_t pair_stripes = 256;
std::mutex pair_locks[pair_stripes];

std::shared_ptr<MessageQueue> queue_of(uint32_t id) {
  std::lock_guard<std::mutex> guard(registry_mutex);
  const auto it = queues.find(id);
  return it == queues.end() ? nullptr : it->second;
}

// One step of a wait: the main thread serves the workers and the user interface, a worker
// yields for a moment.
void wait_step() {
  if (on_main_thread()) {
    run_main_thread_tasks();
    host().process_events_while_waiting();
    wait_for_main_thread_work(500us);
    run_main_thread_tasks();
  } else {
    std::this_thread::sleep_for(50us);
  }
}

}  // namespace

// ---- Records ----------------------------------------------------------------------------------

void clear_thread_ranges() {
  for (size_t k = 0; k < thread_range_count; ++k) {
    ThreadRange& r = thread_ranges[k];
    r.state.store(ThreadRange::not_taken, std::memory_order_relaxed);
    r.low = r.mid = r.high = 0;
    r.parent = 0;
    r.leaf = r.left_child = false;
    r.worker.store(0, std::memory_order_relaxed);
    r.result.store(-1, std::memory_order_relaxed);
  }
  thread_range_next.store(1);
}

ThreadRange& thread_range(size_t k) {
  // Out-of-range indexes land on record 0, which no algorithm uses, instead of outside the table.
  return thread_ranges[k < thread_range_count ? k : 0];
}

// ---- Run lifecycle ----------------------------------------------------------------------------

void begin_parallel_run(int n) {
  mark_main_thread();
  this_thread_id = main_thread_id;
  size_t p = 1;
  while (static_cast<int64_t>(p) <= static_cast<int64_t>(n) - 2) p <<= 1;
  const size_t count = 2 * p + 1;
  if (count != thread_range_count) {
    thread_ranges = std::make_unique<ThreadRange[]>(count);
    thread_range_count = count;
  }
  clear_thread_ranges();
  running_threads.store(0);
  thread_limit.store(std::max<int32_t>(parameters.thread_limit, 0));
  simultaneous_mode1.store(simultaneous_mode == 1);
  start_thread_id.store(main_thread_id);
  handover_pending.store(false);
  {
    std::lock_guard<std::mutex> guard(registry_mutex);
    queues.clear();
    queues[main_thread_id] = std::make_shared<MessageQueue>();
    next_thread_id = main_thread_id + 1;
  }
  counting_parallel.store(true);
  update_counting_path();
  run_active.store(true);
}

void finish_parallel_run() {
  if (!run_active.load()) return;
  // Every worker ends by itself once it is done or sees break_off; the main thread keeps serving
  // their exchanges until the last one has ended.
  while (live.load() > 0) wait_step();
  std::vector<std::thread> to_join;
  {
    std::lock_guard<std::mutex> guard(registry_mutex);
    to_join.swap(started);
    queues.clear();
  }
  for (std::thread& t : to_join) t.join();
  run_main_thread_tasks();
  run_active.store(false);
  counting_parallel.store(false);
  update_counting_path();
}

bool parallel_run_active() {
  return run_active.load();
}

int live_threads() {
  return live.load();
}

// ---- Threads and messages ---------------------------------------------------------------------

uint32_t current_thread_id() {
  return this_thread_id == 0 && on_main_thread() ? main_thread_id : this_thread_id;
}

uint32_t start_worker(std::function<void()> body, bool count_it) {
  if (live.load() >= max_live_threads) return 0;
  auto queue = std::make_shared<MessageQueue>();
  uint32_t id = 0;
  std::lock_guard<std::mutex> guard(registry_mutex);
  id = next_thread_id++;
  queues[id] = queue;
  live.fetch_add(1);
  try {
    started.emplace_back([id, body = std::move(body)] {
      this_thread_id = id;
      try {
        body();
      } catch (...) {
        // A worker's failure must not end the program; the run reports what was done.
        break_off.store(true);
      }
      live.fetch_sub(1);
      wake_main_thread();
    });
  } catch (const std::system_error&) {
    live.fetch_sub(1);
    queues.erase(id);
    return 0;
  }
  if (count_it) threads.increment();
  return id;
}

void post_message(uint32_t thread_id, int message) {
  const auto queue = queue_of(thread_id);
  if (!queue) return;
  {
    std::lock_guard<std::mutex> guard(queue->mutex);
    queue->messages.push_back(message);
  }
  queue->arrived.notify_all();
  if (thread_id == main_thread_id) wake_main_thread();
}

int wait_finish_messages(int count) {
  const auto queue = queue_of(current_thread_id());
  if (!queue) return 0;
  int got = 0;
  const bool main = on_main_thread();
  while (got < count && !broken()) {
    std::unique_lock<std::mutex> lock(queue->mutex);
    if (queue->messages.empty()) {
      if (main) {
        lock.unlock();
        wait_step();
        continue;
      }
      queue->arrived.wait_for(lock, 1ms);
      continue;
    }
    const int message = queue->messages.front();
    queue->messages.pop_front();
    if (message != finish_message) break;
    ++got;
  }
  return got;
}

bool wait_until(const std::function<bool()>& done) {
  while (!done()) {
    if (broken()) return false;
    wait_step();
  }
  return true;
}

// ---- Locks ------------------------------------------------------------------------------------

FrameworkLock::FrameworkLock() {
  if (!on_main_thread()) {
    the_lock.lock();
    return;
  }
  // A worker may hold the lock while it waits for the main thread: serve it until it lets go.
  while (!the_lock.try_lock()) wait_step();
}

FrameworkLock::~FrameworkLock() {
  the_lock.unlock();
}

PairGuard::PairGuard(int i, int j) {
  size_t a = static_cast<size_t>(std::min(i, j)) % pair_stripes;
  size_t b = static_cast<size_t>(std::max(i, j)) % pair_stripes;
  if (a > b) std::swap(a, b);
  first_ = &pair_locks[a];
  second_ = a == b ? nullptr : &pair_locks[b];
  first_->lock();
  if (second_) second_->lock();
}

PairGuard::~PairGuard() {
  if (second_) second_->unlock();
  first_->unlock();
}

// ---- Exchanges on the main thread -------------------------------------------------------------

bool swap_on_main(int i, int j, bool locked) {
  bool swapped = false;
  const std::function<void()> swap = [&] { swapped = swap_elements(i, j, true); };
  if (locked) {
    FrameworkLock lock;
    host().run_on_main_thread(swap);
  } else {
    host().run_on_main_thread(swap);
  }
  return swapped;
}

void store_on_main(int i, const Element& record, bool locked) {
  const std::function<void()> store = [&] { store_element(i, record); };
  if (locked) {
    FrameworkLock lock;
    host().run_on_main_thread(store);
  } else {
    host().run_on_main_thread(store);
  }
}

bool exchange_if_greater(int i, int j) {
  return elem_greater(i, j) && swap_on_main(i, j);
}

// ---- Starting workers -------------------------------------------------------------------------

namespace {

// Waits, holding the lock, until record k is no longer untaken (or break_off).
void wait_record_taken(size_t k) {
  const ThreadRange& r = thread_range(k);
  while (r.state.load(std::memory_order_acquire) == ThreadRange::not_taken && !broken()) {
    if (on_main_thread()) {
      run_main_thread_tasks();
      host().process_events_while_waiting();
    }
    std::this_thread::yield();
  }
}

}  // namespace

size_t try_start_range_worker(uint16_t low, uint16_t mid, uint16_t high,
                              const std::function<void(size_t)>& body) {
  FrameworkLock lock;
  const size_t k = static_cast<size_t>(thread_range_next.load()) + 1;
  if (k >= thread_range_count || live.load() >= max_live_threads) return 0;
  ThreadRange& r = thread_range(k);
  r.state.store(ThreadRange::not_taken);
  r.low = low;
  r.mid = mid;
  r.high = high;
  r.parent = current_thread_id();
  r.worker.store(0);
  thread_range_next.store(static_cast<uint16_t>(k));
  if (start_worker([k, body] { body(k); }) == 0) {
    thread_range_next.store(static_cast<uint16_t>(k - 1));
    return 0;
  }
  wait_record_taken(k);
  return k;
}

bool try_start_record_worker(size_t k, const std::function<void(size_t)>& body) {
  if (k == 0 || k >= thread_range_count) return false;
  FrameworkLock lock;
  ThreadRange& r = thread_range(k);
  const uint8_t before = r.state.load();
  if (start_worker([k, body] { body(k); }) == 0) return false;
  while (r.state.load(std::memory_order_acquire) == before && !broken()) {
    if (on_main_thread()) {
      run_main_thread_tasks();
      host().process_events_while_waiting();
    }
    std::this_thread::yield();
  }
  return true;
}

void take_record(size_t k) {
  ThreadRange& r = thread_range(k);
  r.worker.store(current_thread_id());
  r.state.store(ThreadRange::taken, std::memory_order_release);
  wake_main_thread();
}

bool handover_task(Task task, bool limited, const std::function<void(Task)>& body) {
  if (broken()) return false;
  // The values are kept where a reader of a run looks for them; each worker gets its own copy
  // with its body, and its own signal, so starters on several threads never mix their tasks.
  task_start.store(task.start);
  task_parameter.store(task.parameter);
  task_end.store(task.end);
  auto pending = std::make_shared<std::atomic<bool>>(true);
  handover_pending.store(true);
  if (limited && !wait_for_thread_slot()) return false;
  if (!wait_until([] { return live.load() < max_live_threads; })) return false;
  running_threads.fetch_add(1);
  const uint32_t id = start_worker([task, pending, body] {
    pending->store(false);
    handover_pending.store(false);
    wake_main_thread();
    body(task);
    running_threads.fetch_sub(1);
    wake_main_thread();
  });
  if (id == 0) {
    // The system refused a thread: the starter does the task itself.
    handover_pending.store(false);
    body(task);
    running_threads.fetch_sub(1);
    return !broken();
  }
  return wait_until([pending] { return !pending->load(); });
}

bool wait_all_running_done() {
  return wait_until([] { return running_threads.load() == 0; });
}

bool wait_for_thread_slot() {
  return wait_until([] {
    const int32_t limit = thread_limit.load();
    return limit <= 0 || running_threads.load() < limit;
  });
}

// ---- Start-thread variants --------------------------------------------------------------------

void start_start_thread(std::function<void()> body) {
  // The start thread names itself before it starts any worker, so every finish message of its
  // workers finds it.
  const uint32_t id = start_worker([body] {
    start_thread_id.store(current_thread_id());
    body();
  });
  if (id == 0) {
    // No thread to be had: the main thread plays the start thread.
    start_thread_id.store(main_thread_id);
    body();
  }
}

}  // namespace mv
