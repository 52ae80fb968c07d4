// Work that worker threads hand to the main thread. A worker posts a procedure and blocks until
// the main thread has run it, or posts one and goes on; the main thread runs what is queued
// whenever it waits for workers. So the exchanges of every worker happen one at a time, on one
// thread.
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
// Queues f for the main thread and returns at once (on the main thread: runs it now). Like
// wake_main_thread_later, it wakes the main thread only in batches: the poster announces its
// posts when it stops (announce_main_thread_work), or the main thread finds them at its next
// look at the queue.
void post_to_main_thread(std::function<void()> f);

// Main thread: runs every queued procedure; returns how many ran.
int run_main_thread_tasks();
// Main thread: blocks until a procedure is queued, wake_main_thread is called, ready() holds
// (tested once it may sleep; ready may be empty) or the timeout has passed. A waker that
// changes what ready() reads before it calls wake_main_thread is never missed.
void wait_for_main_thread_work(std::chrono::microseconds timeout,
                               const std::function<bool()>& ready = {});
// Any thread: ends a wait_for_main_thread_work that sleeps now.
void wake_main_thread();
// Any thread: an event the main thread may wait for; it is woken for a batch of them, or by
// announce_main_thread_work.
void wake_main_thread_later();
void announce_main_thread_work();

}  // namespace mv
