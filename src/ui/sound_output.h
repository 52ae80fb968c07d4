// The tones of a run on the audio device: touched keys go into a lock-free feed, and a thread of
// its own pulls them through the tone synthesizer into a QAudioSink. The audio opens at the first
// touch; without Qt Multimedia or without an audio device (a server, CI) everything stays silent
// and nothing fails.
#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>

#include "engine/tone_synth.h"

class QThread;

namespace mv::ui {

class SoundOutput : public QObject {
  Q_OBJECT

 public:
  SoundOutput();
  ~SoundOutput() override;

  // Any thread: an element with this key was touched.
  void touch(int32_t key) {
    feed_.push(key);
    if (!start_requested_.load(std::memory_order_relaxed)) request_start();
  }
  // True once an audio device plays the tones.
  bool playing() const { return playing_.load(); }

 private:
  void request_start();
  void start();  // main thread

  TouchFeed feed_;
  std::atomic<bool> start_requested_{false};
  std::atomic<bool> playing_{false};
  QThread* thread_ = nullptr;
  QObject* player_ = nullptr;  // lives on thread_
};

}  // namespace mv::ui
