// The thread framework of the parallel sorts: worker threads, the one lock, the running-thread
// count and limit, the thread range table, the task hand-over, the per-thread finish-message
// queues and the exchanges that workers have done on the main thread.
//
// A worker is a logical thread: it is counted and has an id and a message queue of its own, and
// it runs on an operating-system thread of a small pool that lives for one run. The pool starts a
// further thread only when every pooled thread is working or waiting, never more than the
// logical threads alive at once and never more than max_pool_threads; a worker that finds no
// free thread waits in the queue, so no worker is ever dropped and `threads` counts what the
// algorithm starts. A pooled thread that waits for the workers it started runs those of them
// still queued itself, so waiting workers never hold up the workers they wait for; so does the
// main thread where it serves no exchanges (without windows).
//
// Rules every parallel sort keeps:
// - Workers compare on their own thread with the counted operations; every exchange or store
//   runs on the main thread (swap_on_main, store_on_main), so the set is written by one thread;
//   without windows it runs on the worker's own thread, one exchange at a time.
// - Every wait blocks until what it waits for happens, and stops on break_off. A wait on the main
//   thread keeps running the workers' queued exchanges and the user-interface events, so the
//   main thread never blocks a worker.
// - The run ends when the last worker has ended: the run driver waits for that
//   (finish_parallel_run), joins the pool's threads and only then ends the run, once.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/element_set.h"

namespace mv {

// ---- Shared state of a parallel run -----------------------------------------------------------

// Worker threads currently working (the thread-limit rules); reset at run start.
extern std::atomic<int> running_threads;
// Maximum of simultaneously working threads, 0 without limit; captured at run start.
extern std::atomic<int32_t> thread_limit;
// True when "simultaneous sorting" is disabled or on "mode 1", captured at run start.
extern std::atomic<bool> simultaneous_mode1;
// Thread id of the start thread of the current run (target of the workers' finish messages).
extern std::atomic<uint32_t> start_thread_id;

// The most operating-system threads the pool of a run holds.
constexpr int max_pool_threads = 256;

// One record of the thread range table. Bounds and links are written before the record's worker
// is started and read by that worker; state, worker and result are read across threads.
struct ThreadRange {
  enum : uint8_t { not_taken = 0, prepared = 1, taken = 2, done = 3 };
  std::atomic<uint8_t> state{not_taken};
  uint16_t low = 0;
  uint16_t mid = 0;  // the range tree's split, or a bit of the recursive radix sort
  uint16_t high = 0;
  uint32_t parent = 0;  // thread id of the worker that waits for this one
  bool leaf = false;
  bool left_child = false;
  std::atomic<uint32_t> worker{0};  // thread id of the record's worker
  std::atomic<int32_t> result{-1};  // an index the worker delivers (minimum search)
};

// The table, 2·P + 1 records with P the smallest power of two greater than n − 2 (at least 1).
extern std::unique_ptr<ThreadRange[]> thread_ranges;
extern size_t thread_range_count;
// The index of the last record handed out.
extern std::atomic<uint16_t> thread_range_next;
// Every record back to state 0 with bounds 0, and thread_range_next to 1.
void clear_thread_ranges();
ThreadRange& thread_range(size_t k);

// ---- Run lifecycle (the run driver) ---------------------------------------------------------

// Before the dispatch of a parallel entry: exact counting on, counts and table reset, thread
// limit and mode captured, the calling thread becomes the main thread (id main_thread_id).
void begin_parallel_run(int n);
// After the dispatch: waits (serving the workers) until every worker thread has ended, joins
// them all and switches exact counting off. Safe to call when no worker was started.
void finish_parallel_run();
// True between begin_parallel_run and finish_parallel_run.
bool parallel_run_active();
// Worker threads started and not yet ended (waiting in the pool's queue, running or suspended).
int live_threads();
// The most workers alive at once in this (or the last) run, and the most pooled threads.
int peak_live_threads();
int peak_pool_threads();

// ---- Threads and messages ---------------------------------------------------------------------

constexpr uint32_t main_thread_id = 1;
// The finish message, as the window system's first user message.
constexpr int finish_message = 1024;

// Id of the calling thread: main_thread_id on the main thread, its own id on a worker.
uint32_t current_thread_id();

// Starts a worker running body; its message queue exists before it runs, so no message posted
// to it is lost. Counts it in `threads` when count_it is set. at_end, if given, runs when the
// worker ends (after a suspension too), before its starter hears of the end. Returns its thread
// id (never 0).
uint32_t start_worker(std::function<void()> body, bool count_it = true,
                      std::function<void()> at_end = {});

// Posts the finish message (or another number) to a thread's queue; ignored for an unknown id.
void post_message(uint32_t thread_id, int message = finish_message);
// Collects `count` finish messages from the calling thread's queue. Stops early on break_off or
// on another message; returns how many finish messages arrived. The main thread serves workers
// while it waits.
int wait_finish_messages(int count);
// The last step of a worker that waits for `count` finish messages before its final steps: the
// worker gives its pooled thread back and `then` runs as this worker once the messages have come
// (or one arrives after break_off, or another message), after which the worker ends. Nothing
// may follow the call in the worker's body. On the main thread: wait_finish_messages, then `then`.
void finish_after_messages(int count, std::function<void()> then);

// Waits until done() holds or break_off is set; returns done(). It blocks until a message, the
// end of a worker this thread started or break_off may have changed done(). On the main thread
// it serves the workers and runs events while waiting. done must only read shared state: the
// ending workers evaluate it too, to wake the main thread once it holds.
bool wait_until(const std::function<bool()>& done);

// ---- The lock -------------------------------------------------------------------------------

// The one process-wide lock, recursive per worker. An exchange a worker has made "under the lock"
// takes it on the main thread for the worker while the exchange runs (or finds it held by that
// worker already), so workers never hold it while they wait for the main thread. On the main
// thread it is taken without blocking the workers that wait for the main thread.
class FrameworkLock {
 public:
  FrameworkLock();
  ~FrameworkLock();
  FrameworkLock(const FrameworkLock&) = delete;
  FrameworkLock& operator=(const FrameworkLock&) = delete;
};

// Locks the two element positions i and j (in a fixed order, so never a deadlock) for a compare
// that must stay valid until its exchange is done, where workers of one pass share elements.
class PairGuard {
 public:
  PairGuard(int i, int j);
  ~PairGuard();
  PairGuard(const PairGuard&) = delete;
  PairGuard& operator=(const PairGuard&) = delete;

 private:
  std::mutex* first_;
  std::mutex* second_;
};

// ---- Exchanges and stores on the main thread --------------------------------------------------

// swap_elements(i, j, redraw) on the main thread; under the lock when `locked`.
bool swap_on_main(int i, int j, bool locked);
// Under the lock in mode 1, without it in mode 2.
inline bool swap_on_main(int i, int j) {
  return swap_on_main(i, j, simultaneous_mode1.load(std::memory_order_relaxed));
}
// store_element(i, record) on the main thread; under the lock when `locked`.
void store_on_main(int i, const Element& record, bool locked);
// The last step of a worker that ends with one exchange: the worker gives its pooled thread back
// at once, and the main thread makes the exchange (under the lock for it when `locked`), calls
// after(swapped) and ends the worker. Nothing may follow the call in the worker's body.
void finish_by_swap_on_main(int i, int j, bool locked, std::function<void(bool)> after = {});
// The exchange of the range-splitting workers: if elem_greater(i, j), swap_on_main(i, j).
bool exchange_if_greater(int i, int j);

// ---- Starting workers -------------------------------------------------------------------------

// The range pattern: under the lock, takes the next record (thread_range_next + 1), fills low,
// mid, high and parent (the calling thread), counts the worker in `threads` and starts
// body(record index); the worker gets its record index with its body, so the starter goes on at
// once. Returns the record index, 0 only when the table is used up (nothing was counted; the
// caller then does the work itself).
size_t try_start_range_worker(uint16_t low, uint16_t mid, uint16_t high,
                              const std::function<void(size_t)>& body);
// The same for a record that is already filled (the range trees): counts the worker and starts
// body(k). False only for an index outside the table.
bool try_start_record_worker(size_t k, const std::function<void(size_t)>& body);
// A worker's first step: marks its record taken and stores its thread id in it.
void take_record(size_t k);

// The task hand-over values and the signal.
struct Task {
  uint16_t start = 0;
  uint16_t parameter = 0;
  uint16_t end = 0;
};
extern std::atomic<uint16_t> task_start;
extern std::atomic<uint16_t> task_parameter;
extern std::atomic<uint16_t> task_end;
extern std::atomic<bool> handover_pending;

// Hands one task to a new worker: writes the task and sets the signal; with `limited` and a
// thread limit waits while running_threads >= thread_limit; counts the worker in `threads` and in
// running_threads (the framework counts it out when its body returns) and starts body(task). The
// worker gets its own copy of the task with its body, so the starter need not wait for it to
// copy the values; the worker clears the signal when it starts. False on break_off (then nothing
// was started).
bool handover_task(Task task, bool limited, const std::function<void(Task)>& body);
// Waits until running_threads is 0 (or break_off).
bool wait_all_running_done();
// Waits while a thread limit is set and running_threads >= thread_limit (or break_off).
bool wait_for_thread_slot();

// ---- Start-thread variants --------------------------------------------------------------------

// The dispatch of a start-thread entry: counts and starts the start thread, whose id becomes
// start_thread_id, and returns at once. The run ends when it and all its workers have ended.
void start_start_thread(std::function<void()> body);

// Registers a parallel entry: the run of `procedure` is framed by begin_parallel_run and
// finish_parallel_run, so the run driver sees it return only when every thread has ended.
template <void (*procedure)()>
void parallel_entry() {
  begin_parallel_run(column_count());
  procedure();
  finish_parallel_run();
}

}  // namespace mv
