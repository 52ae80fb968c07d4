#include "parallel/thread_framework.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <optional>
#include <system_error>
#include <thread>
#include <unordered_map>

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

// The main thread lets the user interface run at least this often while it waits.
constexpr auto pump_interval = 5ms;
// A waiting worker looks at break_off at least this often, should no event wake it.
constexpr auto break_off_check = 20ms;
// How many queued workers a waiting pooled thread runs inside one another at most.
constexpr int max_nesting = 64;

// A worker's message queue: seldom more than a few messages, and most workers get none, so it
// allocates nothing until the first one comes.
class MessageQueue {
 public:
  bool empty() const { return head_ == items_.size(); }
  void push(int message) { items_.push_back(message); }
  int pop() {
    const int message = items_[head_++];
    if (empty()) {
      items_.clear();
      head_ = 0;
    }
    return message;
  }

 private:
  std::vector<int> items_;
  size_t head_ = 0;
};

// One worker (a logical thread).
struct Worker : std::enable_shared_from_this<Worker> {
  uint32_t id = 0;
  uint32_t starter = main_thread_id;  // the thread that started it; told when it ends
  std::function<void()> body;         // its body, or the rest of it after a suspension
  std::function<void()> at_end;       // its last step, wherever it ends
  bool suspended = false;             // the body ended with finish_after_messages

  // The message queue, also the place where the worker waits.
  std::mutex mutex;
  std::condition_variable changed;
  MessageQueue messages;
  uint64_t events = 0;  // a message or the end of a worker it started
  bool sleeping = false;
  int awaiting = 0;  // finish messages still missing before `then` runs
  std::function<void()> then;
};

using WorkerPtr = std::shared_ptr<Worker>;

// The workers by thread id, in shards so that threads starting and ending workers seldom meet.
struct RegistryShard {
  std::mutex mutex;
  std::unordered_map<uint32_t, WorkerPtr> workers;
};
constexpr uint32_t registry_shards = 64;
RegistryShard registry[registry_shards];
std::atomic<uint32_t> next_thread_id{main_thread_id + 1};
WorkerPtr main_worker;  // the main thread's queue

RegistryShard& shard_of(uint32_t id) {
  return registry[id % registry_shards];
}

void register_worker(const WorkerPtr& w) {
  RegistryShard& shard = shard_of(w->id);
  std::lock_guard<std::mutex> guard(shard.mutex);
  shard.workers[w->id] = w;
}

void clear_registry() {
  for (RegistryShard& shard : registry) {
    std::lock_guard<std::mutex> guard(shard.mutex);
    shard.workers.clear();
  }
}

std::atomic<int> live{0};
std::atomic<int> peak_live{0};
std::atomic<int> peak_pool{0};
std::atomic<bool> run_active{false};
std::atomic<bool> released{false};  // the waiting workers were woken for break_off

thread_local Worker* this_worker = nullptr;
thread_local int nesting = 0;
thread_local bool in_pool = false;  // a pooled thread
// The time of the calling thread's last start of a worker: starts in quick succession are handed
// to the pool's threads together, at the starter's next wait.
thread_local std::chrono::steady_clock::time_point last_start{};
constexpr auto quick_succession = 200us;

WorkerPtr worker_of(uint32_t id) {
  RegistryShard& shard = shard_of(id);
  std::lock_guard<std::mutex> guard(shard.mutex);
  const auto it = shard.workers.find(id);
  return it == shard.workers.end() ? nullptr : it->second;
}

// Wakes a worker (or the main thread) that may wait for an event.
void notify(Worker& w) {
  if (&w == main_worker.get()) {
    wake_main_thread();
    return;
  }
  bool sleeping = false;
  {
    std::lock_guard<std::mutex> guard(w.mutex);
    ++w.events;
    sleeping = w.sleeping;
  }
  if (sleeping) w.changed.notify_one();
}

void run_worker(const WorkerPtr& w);

// The pool of operating-system threads of one run. Workers wait in its queue in start order.
//
// A pooled thread is asleep (waiting for a worker), active (running one) or blocked (in one of
// the framework's waits). A queued worker goes to a sleeping thread, or to a new one, only when
// no thread is active: an active thread takes the next queued worker itself when it is done, so
// a starter that hands out many short workers at once does not wake a thread for each. A thread
// that blocks hands the queue on in the same way, and the main thread, at every look at the
// queue that finds workers waiting since its last look, adds one more thread, so that workers
// which neither end nor block soon (a brake) still come to run side by side.
class Pool {
 public:
  // Queues a worker; `now`: hand it to a thread at once if none is active (otherwise the
  // starter does so at its next wait, see dispatch).
  void submit(WorkerPtr w, bool now) {
    std::unique_lock<std::mutex> lock(mutex_);
    queue_.push_back(std::move(w));
    ++submitted_;
    if (now) dispatch_locked(lock, false);
  }

  // Hands the queue to a thread if no thread is active.
  void dispatch() {
    std::unique_lock<std::mutex> lock(mutex_);
    dispatch_locked(lock, false);
  }

  // The main thread's look at the queue: workers that waited there since the last look get
  // one more thread, even beside active ones.
  void look_at_queue() {
    std::unique_lock<std::mutex> lock(mutex_);
    const bool waited = !queue_.empty() && taken_ <= seen_taken_ && submitted_ > seen_taken_;
    seen_taken_ = taken_;
    dispatch_locked(lock, waited);
  }

  // The calling pooled thread enters (true) or leaves (false) a wait.
  void set_blocked(bool blocked) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (blocked) {
      --active_;
      dispatch_locked(lock, false);
    } else {
      ++active_;
    }
  }

  // A queued worker started by `starter`, the latest first; nullptr when there is none.
  WorkerPtr take_started_by(uint32_t starter) {
    std::lock_guard<std::mutex> guard(mutex_);
    for (auto it = queue_.rbegin(); it != queue_.rend(); ++it) {
      if ((*it)->starter != starter) continue;
      WorkerPtr w = std::move(*it);
      queue_.erase(std::next(it).base());
      ++taken_;
      return w;
    }
    return nullptr;
  }

  // Ends every pooled thread once the queue is empty and joins them.
  void shut_down() {
    std::vector<std::thread> to_join;
    {
      std::lock_guard<std::mutex> guard(mutex_);
      stopping_ = true;
      work_.notify_all();
      to_join.swap(threads_);
    }
    for (std::thread& t : to_join) t.join();
    std::lock_guard<std::mutex> guard(mutex_);
    stopping_ = false;
    sleepers_ = wakeups_ = active_ = 0;
    submitted_ = taken_ = seen_taken_ = 0;
  }

 private:
  // With workers queued: wakes a sleeping thread or starts a new one when no thread is active
  // (or in any case with `one_more`). A new thread only while every thread is active or blocked,
  // never more than the workers alive and never more than max_pool_threads.
  void dispatch_locked(std::unique_lock<std::mutex>& lock, bool one_more) {
    if (queue_.empty() || (!one_more && active_ + wakeups_ > 0)) return;
    if (sleepers_ > wakeups_) {
      ++wakeups_;
      lock.unlock();
      work_.notify_one();
      return;
    }
    if (static_cast<int>(threads_.size()) >= std::min(max_pool_threads, live.load())) return;
    try {
      threads_.emplace_back([this] { loop(); });
      ++wakeups_;  // counts as woken until it takes its first worker
      atomic_raise(peak_pool, static_cast<int>(threads_.size()));
    } catch (const std::system_error&) {
      // No further thread to be had: the queued workers wait for the pool's threads.
    }
  }

  void loop() {
    in_pool = true;
    std::unique_lock<std::mutex> lock(mutex_);
    --wakeups_;
    ++active_;
    for (;;) {
      if (queue_.empty()) {
        --active_;
        // Before it sleeps, the thread lets the main thread know of what it posted.
        lock.unlock();
        announce_main_thread_work();
        lock.lock();
        while (queue_.empty() && !stopping_) {
          ++sleepers_;
          work_.wait(lock);
          --sleepers_;
          if (wakeups_ > 0) --wakeups_;
        }
        if (queue_.empty()) return;
        ++active_;
      }
      WorkerPtr w = std::move(queue_.front());
      queue_.pop_front();
      ++taken_;
      lock.unlock();
      run_worker(w);
      w.reset();
      lock.lock();
    }
  }

  std::mutex mutex_;
  std::condition_variable work_;
  std::deque<WorkerPtr> queue_;
  std::vector<std::thread> threads_;
  int sleepers_ = 0;  // threads waiting for a worker
  int wakeups_ = 0;   // threads woken or started, not yet at their first worker
  int active_ = 0;    // threads running a worker, not in a wait
  uint64_t submitted_ = 0, taken_ = 0, seen_taken_ = 0;
  bool stopping_ = false;
};

Pool pool;

// Marks the calling pooled thread blocked while it waits: the queue may then go to another
// thread, and the main thread hears of what this one posted. The main thread, when it waits
// inside a worker it runs itself, hands the queue on too (it cannot look at it meanwhile).
class Blocked {
 public:
  Blocked() : pooled_(in_pool) {
    if (!pooled_) {
      pool.dispatch();
      return;
    }
    pool.set_blocked(true);
    announce_main_thread_work();
  }
  ~Blocked() {
    if (pooled_) pool.set_blocked(false);
  }
  Blocked(const Blocked&) = delete;
  Blocked& operator=(const Blocked&) = delete;

 private:
  bool pooled_;
};

// What the main thread waits for while it sleeps in main_wait. The end of a worker it started
// wakes it only when this holds then, not at every end: a pass of many short workers costs the
// main thread one wake-up, not one per worker.
std::mutex probe_mutex;
const std::function<bool()>* main_probe = nullptr;

void wake_main_if_done() {
  std::lock_guard<std::mutex> guard(probe_mutex);
  if (main_probe != nullptr && (*main_probe)()) wake_main_thread();
}

// Publishes done as the main thread's probe for as long as it lives.
class MainProbe {
 public:
  explicit MainProbe(const std::function<bool()>* done) : set_(done != nullptr) {
    if (!set_) return;
    std::lock_guard<std::mutex> guard(probe_mutex);
    main_probe = done;
  }
  ~MainProbe() {
    if (!set_) return;
    std::lock_guard<std::mutex> guard(probe_mutex);
    main_probe = nullptr;
  }
  MainProbe(const MainProbe&) = delete;
  MainProbe& operator=(const MainProbe&) = delete;

 private:
  bool set_;
};

// The end of a worker: it leaves the registry and tells its starter (and the main thread, which
// waits for the last worker at the end of the run).
void end_worker(const WorkerPtr& w) {
  if (w->at_end) {
    w->at_end();
    w->at_end = nullptr;
  }
  {
    RegistryShard& shard = shard_of(w->id);
    std::lock_guard<std::mutex> guard(shard.mutex);
    shard.workers.erase(w->id);
  }
  const WorkerPtr starter = w->starter == main_thread_id ? main_worker : worker_of(w->starter);
  const int still = live.fetch_sub(1) - 1;
  if (starter == main_worker) {
    wake_main_if_done();
  } else if (starter) {
    notify(*starter);
  }
  if (still == 0) wake_main_thread();
}

void run_worker(const WorkerPtr& w) {
  Worker* const outer = this_worker;
  this_worker = w.get();
  std::function<void()> body = std::move(w->body);
  w->body = nullptr;
  try {
    body();
  } catch (...) {
    // A worker's failure must not end the program; the run reports what was done.
    break_off.store(true);
  }
  body = nullptr;
  this_worker = outer;
  bool suspended = false;
  {
    std::lock_guard<std::mutex> guard(w->mutex);
    suspended = w->suspended;
    w->suspended = false;
  }
  if (!suspended) end_worker(w);
}

// Wakes every waiting worker once after a break-off, so that each sees it at once.
void release_waiting_workers() {
  if (released.exchange(true)) return;
  std::vector<WorkerPtr> all;
  for (RegistryShard& shard : registry) {
    std::lock_guard<std::mutex> guard(shard.mutex);
    for (const auto& entry : shard.workers) all.push_back(entry.second);
  }
  for (const WorkerPtr& w : all) notify(*w);
}

// The main thread waits: it runs the workers' queued exchanges and the user-interface events,
// and sleeps until a worker hands it work or wakes it, or the pump interval has passed. With
// `probe`, done only reads shared state and the ends of workers evaluate it (wake_main_if_done);
// otherwise whatever makes it true wakes the main thread itself (a message does).
bool main_wait(const std::function<bool()>& done, bool stop_on_break_off, bool probe) {
  const MainProbe published(probe ? &done : nullptr);
  auto last_look = std::chrono::steady_clock::now();
  // Without windows the main thread serves no exchanges, so it runs the queued workers it
  // started itself, as a waiting worker does.
  const bool run_own = !host().exchanges_on_main_thread();
  for (;;) {
    run_main_thread_tasks();
    if (done()) return true;
    if (broken()) {
      release_waiting_workers();
      if (stop_on_break_off) return false;
    }
    if (run_own && nesting < max_nesting) {
      if (const WorkerPtr queued = pool.take_started_by(main_thread_id)) {
        ++nesting;
        run_worker(queued);
        --nesting;
        continue;
      }
    }
    host().process_events_while_waiting();
    run_main_thread_tasks();
    const auto now = std::chrono::steady_clock::now();
    if (now - last_look >= pump_interval) {
      pool.look_at_queue();
      last_look = now;
    } else {
      pool.dispatch();
    }
    wait_for_main_thread_work(pump_interval, done);
  }
}

// A worker waits: it runs the queued workers it started itself (they are what it waits for, and
// no other thread may be free for them), and otherwise sleeps until an event in its queue.
bool worker_wait(Worker& me, const std::function<bool()>& done) {
  for (;;) {
    uint64_t seen = 0;
    {
      std::lock_guard<std::mutex> guard(me.mutex);
      seen = me.events;
    }
    if (done()) return true;
    if (broken()) return false;
    if (nesting < max_nesting) {
      if (const WorkerPtr queued = pool.take_started_by(me.id)) {
        ++nesting;
        run_worker(queued);
        --nesting;
        continue;
      }
    }
    Blocked blocked;
    std::unique_lock<std::mutex> lock(me.mutex);
    me.sleeping = true;
    me.changed.wait_for(lock, break_off_check, [&] { return me.events != seen; });
    me.sleeping = false;
  }
}

// Takes the first message from the calling thread's queue into `message`.
bool pop_message(Worker& me, int& message) {
  std::lock_guard<std::mutex> guard(me.mutex);
  if (me.messages.empty()) return false;
  message = me.messages.pop();
  return true;
}

Worker& current_worker() {
  return this_worker != nullptr ? *this_worker : *main_worker;
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
  this_worker = nullptr;
  size_t p = 1;
  while (static_cast<int64_t>(p) <= static_cast<int64_t>(n) - 2) p <<= 1;
  const size_t count = 2 * p + 1;
  if (count != thread_range_count) {
    // New records start cleared.
    thread_ranges = std::make_unique<ThreadRange[]>(count);
    thread_range_count = count;
    thread_range_next.store(1);
  } else {
    clear_thread_ranges();
  }
  running_threads.store(0);
  thread_limit.store(std::max<int32_t>(parameters.thread_limit, 0));
  simultaneous_mode1.store(simultaneous_mode == 1);
  start_thread_id.store(main_thread_id);
  handover_pending.store(false);
  clear_registry();
  main_worker = std::make_shared<Worker>();
  main_worker->id = main_thread_id;
  register_worker(main_worker);
  next_thread_id.store(main_thread_id + 1);
  peak_live.store(0);
  peak_pool.store(0);
  released.store(false);
  counting_parallel.store(true);
  update_counting_path();
  run_active.store(true);
}

void finish_parallel_run() {
  if (!run_active.load()) return;
  // Every worker ends by itself once it is done or sees break_off; the main thread keeps serving
  // their exchanges until the last one has ended.
  main_wait([] { return live.load() == 0; }, false, true);
  pool.shut_down();
  clear_registry();
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

int peak_live_threads() {
  return peak_live.load();
}

int peak_pool_threads() {
  return peak_pool.load();
}

// ---- Threads and messages ---------------------------------------------------------------------

uint32_t current_thread_id() {
  return this_worker != nullptr ? this_worker->id : main_thread_id;
}

uint32_t start_worker(std::function<void()> body, bool count_it, std::function<void()> at_end) {
  auto w = std::make_shared<Worker>();
  w->starter = current_thread_id();
  w->body = std::move(body);
  w->at_end = std::move(at_end);
  w->id = next_thread_id.fetch_add(1);
  register_worker(w);
  atomic_raise(peak_live, live.fetch_add(1) + 1);
  if (count_it) threads.increment();
  const uint32_t id = w->id;
  const auto now = std::chrono::steady_clock::now();
  const bool at_once = now - last_start >= quick_succession;
  last_start = now;
  pool.submit(std::move(w), at_once);
  return id;
}

void post_message(uint32_t thread_id, int message) {
  const WorkerPtr w = worker_of(thread_id);
  if (!w) return;
  std::function<void()> then;
  bool sleeping = false;
  {
    std::lock_guard<std::mutex> guard(w->mutex);
    if (w->then) {
      // A suspended worker: its final steps wait for the finish messages, nothing else does.
      if (message != finish_message || --w->awaiting <= 0 || broken()) then.swap(w->then);
    } else {
      w->messages.push(message);
      ++w->events;
      sleeping = w->sleeping;
    }
  }
  if (sleeping) w->changed.notify_one();
  if (then) {
    // The suspended worker goes on with its final steps on a pooled thread.
    w->body = std::move(then);
    pool.submit(w, true);
    return;
  }
  if (w == main_worker) wake_main_thread();
}

int wait_finish_messages(int count) {
  Worker& me = current_worker();
  int got = 0;
  bool other = false;
  // The test takes the messages it finds, so only this thread may make it; a message wakes it.
  const std::function<bool()> done = [&] {
    int message = 0;
    while (got < count && !other && pop_message(me, message)) {
      if (message == finish_message) {
        ++got;
      } else {
        other = true;
      }
    }
    return got >= count || other;
  };
  if (this_worker == nullptr) {
    main_wait(done, true, false);
  } else {
    worker_wait(me, done);
  }
  return got;
}

void finish_after_messages(int count, std::function<void()> then) {
  if (this_worker == nullptr) {
    wait_finish_messages(count);
    then();
    return;
  }
  Worker& me = *this_worker;
  {
    std::lock_guard<std::mutex> guard(me.mutex);
    int missing = count;
    while (missing > 0 && !me.messages.empty()) {
      const int message = me.messages.pop();
      if (message != finish_message) {
        missing = 0;
        break;
      }
      --missing;
    }
    if (missing > 0 && !broken()) {
      me.awaiting = missing;
      me.then = std::move(then);
      me.suspended = true;
      return;
    }
  }
  then();
}

bool wait_until(const std::function<bool()>& done) {
  if (this_worker == nullptr) return main_wait(done, true, true);
  return worker_wait(*this_worker, done);
}

// ---- Locks ------------------------------------------------------------------------------------

namespace {

std::mutex lock_mutex;
std::condition_variable lock_free;
std::atomic<uint32_t> lock_owner{0};  // the worker (or main_thread_id) holding it, 0 when free
int lock_depth = 0;
bool main_waits_for_lock = false;

// Takes the lock for `owner`. On the main thread it serves the workers while it waits.
void acquire_lock(uint32_t owner) {
  std::unique_lock<std::mutex> lock(lock_mutex);
  while (lock_owner != 0 && lock_owner != owner) {
    if (on_main_thread()) {
      main_waits_for_lock = true;
      lock.unlock();
      run_main_thread_tasks();
      wait_for_main_thread_work(pump_interval, [owner] {
        const uint32_t now = lock_owner.load();
        return now == 0 || now == owner;
      });
      lock.lock();
    } else {
      Blocked blocked;
      lock_free.wait(lock);
    }
  }
  lock_owner = owner;
  ++lock_depth;
}

void release_lock() {
  bool wake_main = false;
  {
    std::lock_guard<std::mutex> guard(lock_mutex);
    if (--lock_depth > 0) return;
    lock_owner = 0;
    wake_main = main_waits_for_lock;
    main_waits_for_lock = false;
  }
  lock_free.notify_one();
  if (wake_main) wake_main_thread();
}

// Without windows, the exchanges of every thread run on the thread that makes them, one at a
// time under this mutex: it stands for the main thread. Nothing is locked while it is held.
std::mutex exchange_mutex;

// With `locked`, the lock is taken for the calling thread around f.
void run_exchange_here(const std::function<void()>& f, bool locked) {
  std::optional<FrameworkLock> lock;
  if (locked) lock.emplace();
  const std::lock_guard<std::mutex> guard(exchange_mutex);
  f();
}

// Runs f on the main thread; with `locked`, holding the lock for the calling worker there.
// Without windows, f runs on the calling thread instead (run_exchange_here).
void run_on_main(const std::function<void()>& f, bool locked) {
  if (!host().exchanges_on_main_thread()) {
    run_exchange_here(f, locked);
    return;
  }
  Blocked blocked;
  if (!locked) {
    host().run_on_main_thread(f);
    return;
  }
  const uint32_t owner = current_thread_id();
  host().run_on_main_thread([&] {
    acquire_lock(owner);
    try {
      f();
    } catch (...) {
      release_lock();
      throw;
    }
    release_lock();
  });
}

}  // namespace

FrameworkLock::FrameworkLock() {
  acquire_lock(current_thread_id());
}

FrameworkLock::~FrameworkLock() {
  release_lock();
}

PairGuard::PairGuard(int i, int j) {
  static constexpr size_t stripes = 256;
  static std::mutex locks[stripes];
  size_t a = static_cast<size_t>(std::min(i, j)) % stripes;
  size_t b = static_cast<size_t>(std::max(i, j)) % stripes;
  if (a > b) std::swap(a, b);
  first_ = &locks[a];
  second_ = a == b ? nullptr : &locks[b];
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
  run_on_main([&] { swapped = swap_elements(i, j, true); }, locked);
  return swapped;
}

void store_on_main(int i, const Element& record, bool locked) {
  run_on_main([&] { store_element(i, record); }, locked);
}

void finish_by_swap_on_main(int i, int j, bool locked, std::function<void(bool)> after) {
  if (this_worker == nullptr || !host().exchanges_on_main_thread()) {
    const bool swapped = swap_on_main(i, j, locked);
    if (after) after(swapped);
    return;
  }
  // The worker gives its pooled thread back; the main thread makes the exchange and ends it.
  WorkerPtr me = this_worker->shared_from_this();
  {
    std::lock_guard<std::mutex> guard(me->mutex);
    me->suspended = true;
  }
  const uint32_t owner = me->id;
  host().post_on_main_thread([me = std::move(me), owner, i, j, locked, after = std::move(after)] {
    if (locked) acquire_lock(owner);
    const bool swapped = swap_elements(i, j, true);
    if (locked) release_lock();
    if (after) after(swapped);
    end_worker(me);
  });
}

bool exchange_if_greater(int i, int j) {
  return elem_greater(i, j) && swap_on_main(i, j);
}

// ---- Starting workers -------------------------------------------------------------------------

size_t try_start_range_worker(uint16_t low, uint16_t mid, uint16_t high,
                              const std::function<void(size_t)>& body) {
  FrameworkLock lock;
  const size_t k = static_cast<size_t>(thread_range_next.load()) + 1;
  if (k >= thread_range_count) return 0;
  ThreadRange& r = thread_range(k);
  r.state.store(ThreadRange::not_taken);
  r.low = low;
  r.mid = mid;
  r.high = high;
  r.parent = current_thread_id();
  r.worker.store(0);
  thread_range_next.store(static_cast<uint16_t>(k));
  start_worker([k, body] { body(k); });
  return k;
}

bool try_start_record_worker(size_t k, const std::function<void(size_t)>& body) {
  if (k == 0 || k >= thread_range_count) return false;
  FrameworkLock lock;
  start_worker([k, body] { body(k); });
  return true;
}

void take_record(size_t k) {
  ThreadRange& r = thread_range(k);
  r.worker.store(current_thread_id());
  r.state.store(ThreadRange::taken, std::memory_order_release);
}

bool handover_task(Task task, bool limited, const std::function<void(Task)>& body) {
  if (broken()) return false;
  // The values are kept where a reader of a run looks for them; each worker gets its own copy
  // with its body, so starters on several threads never mix their tasks.
  task_start.store(task.start);
  task_parameter.store(task.parameter);
  task_end.store(task.end);
  handover_pending.store(true);
  if (limited && !wait_for_thread_slot()) return false;
  running_threads.fetch_add(1);
  start_worker(
      [task, body] {
        handover_pending.store(false);
        body(task);
      },
      true, [] { running_threads.fetch_sub(1); });
  return true;
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
  start_worker([body = std::move(body)] {
    start_thread_id.store(current_thread_id());
    body();
  });
}

}  // namespace mv
