#include "ui/sound_output.h"

#include <QCoreApplication>
#include <QThread>
#include <vector>

#include "engine/settings.h"

#ifdef MIVROLA_WITH_SOUND
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <algorithm>
#include <cstring>
#endif

namespace mv::ui {

#ifdef MIVROLA_WITH_SOUND

namespace {

// The sink pulls samples from here on the audio thread. Each pull takes the keys touched since
// the last one and spreads their tones over the blocks it renders.
class ToneStream : public QIODevice {
 public:
  ToneStream(TouchFeed& feed, const QAudioFormat& format)
      : feed_(feed),
        format_(format),
        synth_(ToneSynth::Shape{.sample_rate = format.sampleRate()}),
        block_(std::max(1, static_cast<int>(tone_block_s * format.sampleRate()))) {
    open(QIODevice::ReadOnly);
  }
  bool isSequential() const override { return true; }
  qint64 bytesAvailable() const override { return (1 << 20) + QIODevice::bytesAvailable(); }

 protected:
  qint64 readData(char* data, qint64 max_bytes) override {
    const int frame_bytes = format_.bytesPerFrame();
    const int frames = static_cast<int>(std::min<qint64>(max_bytes / frame_bytes, 1 << 16));
    if (frames <= 0) return 0;
    const int blocks = (frames + block_ - 1) / block_;
    keys_.resize(static_cast<size_t>(blocks * synth_.shape().max_voices));
    const int taken = feed_.take(keys_.data(), static_cast<int>(keys_.size()));
    const int32_t key_max = settings.rows.load(std::memory_order_relaxed);
    samples_.resize(static_cast<size_t>(frames));
    for (int b = 0, done = 0; b < blocks; ++b) {
      const int first = static_cast<int>(static_cast<int64_t>(b) * taken / blocks);
      const int last = static_cast<int>(static_cast<int64_t>(b + 1) * taken / blocks);
      const int length = std::min(block_, frames - done);
      synth_.render_block(keys_.data() + first, last - first, key_max, samples_.data() + done,
                          length);
      done += length;
    }
    write_frames(data, frames);
    return static_cast<qint64>(frames) * frame_bytes;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  void write_frames(char* data, int frames) const {
    const int channels = format_.channelCount();
    const bool floats = format_.sampleFormat() == QAudioFormat::Float;
    for (int f = 0; f < frames; ++f) {
      const float v = samples_[static_cast<size_t>(f)];
      for (int c = 0; c < channels; ++c) {
        if (floats) {
          std::memcpy(data, &v, sizeof v);
          data += sizeof v;
        } else {
          const auto s = static_cast<int16_t>(v * 32767.0f);
          std::memcpy(data, &s, sizeof s);
          data += sizeof s;
        }
      }
    }
  }

  TouchFeed& feed_;
  QAudioFormat format_;
  ToneSynth synth_;
  int block_;
  std::vector<int32_t> keys_;
  std::vector<float> samples_;
};

// Opens the default output on the audio thread; stays silent when there is none.
class Player : public QObject {
 public:
  Player(TouchFeed& feed, std::atomic<bool>& playing) : feed_(feed), playing_(playing) {}

  void open() {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return;
    QAudioFormat format = device.preferredFormat();
    format.setChannelCount(1);
    if (!device.isFormatSupported(format)) {
      format.setChannelCount(device.preferredFormat().channelCount());
    }
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) format.setSampleFormat(QAudioFormat::Float);
    if (!device.isFormatSupported(format) || format.sampleRate() <= 0) return;
    stream_ = new ToneStream(feed_, format);
    stream_->setParent(this);
    sink_ = new QAudioSink(device, format, this);
    // About 40 ms of buffer: short enough that a tone follows its column closely.
    sink_->setBufferSize(format.bytesForDuration(40000));
    sink_->start(stream_);
    playing_ = sink_->error() == QAudio::NoError;
  }
  void close() {
    if (sink_) sink_->stop();
    playing_ = false;
  }

 private:
  TouchFeed& feed_;
  std::atomic<bool>& playing_;
  ToneStream* stream_ = nullptr;
  QAudioSink* sink_ = nullptr;
};

}  // namespace

void SoundOutput::start() {
  if (thread_) return;
  thread_ = new QThread;
  thread_->setObjectName(QStringLiteral("sound"));
  auto* player = new Player(feed_, playing_);
  player->moveToThread(thread_);
  player_ = player;
  connect(thread_, &QThread::started, player, [player] { player->open(); });
  thread_->start();
}

SoundOutput::~SoundOutput() {
  if (!thread_) return;
  auto* player = static_cast<Player*>(player_);
  QMetaObject::invokeMethod(
      player,
      [player] {
        player->close();
        delete player;
      },
      Qt::BlockingQueuedConnection);
  thread_->quit();
  thread_->wait();
  delete thread_;
}

#else  // without Qt Multimedia: silent

void SoundOutput::start() {}
SoundOutput::~SoundOutput() = default;

#endif

SoundOutput::SoundOutput() = default;

void SoundOutput::request_start() {
  if (start_requested_.exchange(true)) return;
  // The first touch may come from a worker thread: the audio thread is set up on the main one.
  QMetaObject::invokeMethod(
      this, [this] { start(); }, Qt::QueuedConnection);
}

}  // namespace mv::ui
