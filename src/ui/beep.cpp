#include "ui/beep.h"

#include <dlfcn.h>

#include <QApplication>
#include <QMetaObject>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

namespace mv::ui {

namespace {

// The few ALSA entry points the tone needs, with their C signatures.
struct Alsa {
  using open_fn = int (*)(void**, const char*, int, int);
  using nonblock_fn = int (*)(void*, int);
  using set_params_fn = int (*)(void*, int, int, unsigned, unsigned, int, unsigned);
  using writei_fn = long (*)(void*, const void*, unsigned long);
  using drain_fn = int (*)(void*);
  using close_fn = int (*)(void*);
  using error_handler_fn = void (*)(const char*, int, const char*, int, const char*, ...);
  using set_error_handler_fn = int (*)(error_handler_fn);

  open_fn open = nullptr;
  nonblock_fn nonblock = nullptr;
  set_params_fn set_params = nullptr;
  writei_fn writei = nullptr;
  drain_fn drain = nullptr;
  close_fn close = nullptr;

  static constexpr int stream_playback = 0;
  static constexpr int open_nonblock = 1;
  static constexpr int format_s16_le = 2;
  static constexpr int access_rw_interleaved = 3;

  bool loaded() const { return open && nonblock && set_params && writei && drain && close; }
};

void ignore_alsa_error(const char*, int, const char*, int, const char*, ...) {}

const Alsa& alsa() {
  static const Alsa a = [] {
    Alsa s;
    void* lib = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return s;
    s.open = reinterpret_cast<Alsa::open_fn>(dlsym(lib, "snd_pcm_open"));
    s.nonblock = reinterpret_cast<Alsa::nonblock_fn>(dlsym(lib, "snd_pcm_nonblock"));
    s.set_params = reinterpret_cast<Alsa::set_params_fn>(dlsym(lib, "snd_pcm_set_params"));
    s.writei = reinterpret_cast<Alsa::writei_fn>(dlsym(lib, "snd_pcm_writei"));
    s.drain = reinterpret_cast<Alsa::drain_fn>(dlsym(lib, "snd_pcm_drain"));
    s.close = reinterpret_cast<Alsa::close_fn>(dlsym(lib, "snd_pcm_close"));
    // ALSA reports a missing device on stderr; the fallback bell says enough.
    if (auto set_handler =
            reinterpret_cast<Alsa::set_error_handler_fn>(dlsym(lib, "snd_lib_error_set_handler"))) {
      set_handler(ignore_alsa_error);
    }
    return s;
  }();
  return a;
}

bool play_tone() {
  const Alsa& a = alsa();
  if (!a.loaded()) return false;
  void* pcm = nullptr;
  if (a.open(&pcm, "default", Alsa::stream_playback, Alsa::open_nonblock) < 0) return false;
  constexpr unsigned rate = 44100;
  bool ok =
      a.nonblock(pcm, 0) >= 0 &&
      a.set_params(pcm, Alsa::format_s16_le, Alsa::access_rw_interleaved, 1, rate, 1, 100000) >= 0;
  if (ok) {
    std::vector<int16_t> samples(rate / 5);  // 200 ms
    for (size_t k = 0; k < samples.size(); ++k) {
      samples[k] = static_cast<int16_t>(8000.0 * std::sin(2.0 * M_PI * 880.0 * k / rate));
    }
    ok = a.writei(pcm, samples.data(), samples.size()) > 0;
    if (ok) a.drain(pcm);
  }
  a.close(pcm);
  return ok;
}

}  // namespace

void beep_880_hz() {
  std::thread([] {
    if (play_tone()) return;
    if (QCoreApplication* app = QCoreApplication::instance()) {
      QMetaObject::invokeMethod(
          app, [] { QApplication::beep(); }, Qt::QueuedConnection);
    }
  }).detach();
}

}  // namespace mv::ui
