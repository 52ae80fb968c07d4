// Work that worker threads hand to the main thread. A worker posts a procedure and blocks until
// the main thread has run it; the main thread runs what is queued whenever it waits for workers
// (serve_main_thread). So the exchanges of every worker happen one at a time, on one thread.
#pragma once

#include <chrono>
#include <functional>

namespace mv {

// The calling thread becomes the main thread (the run driver does this at every run start).
void mark_main_thread();
bool on_main_thread();

// Runs f on the main thread and returns when it has run: directly on the main thread, else by
// posting it to the main thread's queue. An exception f throws is rethrown in the caller.
void post_to_main_thread_and_wait(const std::function<void()>& f);

// Main thread: runs every queued procedure; returns how many ran.
int run_main_thread_tasks();
// Main thread: blocks until a procedure is queued, wake_main_thread is called, or the timeout.
void wait_for_main_thread_work(std::chrono::microseconds timeout);
// Any thread: ends a wait_for_main_thread_work now (or the next one, if none is waiting).
void wake_main_thread();

}  // namespace mv
