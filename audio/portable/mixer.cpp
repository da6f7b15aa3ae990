// The mixer. Voices live in slots: a caller claims a free slot under the producers' lock,
// which names the voice (the slot in the low 8 bits, a serial above it), and hands the
// voice to the audio thread through a ring. The slot's atomics carry the rest (is it
// playing, is it asked to stop, does it loop), so the audio thread reads them without
// locking, and a stop can never be lost or overtake the play it stops.
//
// Resampling is linear interpolation between neighbouring frames: cheap, and clean enough
// for effects and music near the device's rate. Pan is a balance: the centre leaves both
// channels as loud as asked, and the far channel fades linearly to silence at the side.
#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <mutex>
#include <vector>

#include "command_ring.h"
#include "limiter.h"
#include "slate/audio/mixer.h"

namespace Slate::Audio {
namespace {

constexpr int kSlotBits = 8;
static_assert(kMaxVoices == 1 << kSlotBits, "a voice number keeps its slot in 8 bits");
constexpr int kMaxSerial = 0x7FFFFF;  // numbers stay positive ints; one recurs after 8M plays
// Music decoded ahead: about a third of a second at 44.1 kHz, many device periods.
constexpr size_t kMusicRingFrames = 16384;

float clampVolume(float v, float nanAs) {
  if (std::isnan(v)) return nanAs;
  return std::clamp(v, 0.0f, 4.0f);
}
float clampPan(float p) {
  return std::isnan(p) ? 0.0f : std::clamp(p, -1.0f, 1.0f);
}
float clampPitch(float p) {
  if (std::isnan(p) || p <= 0) return 1.0f;
  return std::clamp(p, 1.0f / 16, 16.0f);
}

struct Slot {
  std::atomic<int> number{0};      // the voice it holds, 0 when free (the audio thread frees)
  std::atomic<int> stopNumber{0};  // equal to number when that voice is asked to stop
  std::atomic<bool> loop{false};
};

struct PlayCommand {
  SharedSound sound;
  int slot = 0;
  int number = 0;
  float gainL = 0, gainR = 0;
  double step = 0;  // source frames per output frame
};

// The audio thread's own state of a voice; active while it holds a sound.
struct Voice {
  SharedSound sound;
  int number = 0;
  float gainL = 0, gainR = 0;
  double pos = 0, step = 0;
};

// A music stream with its frames decoded ahead, at the stream's own rate.
struct Music {
  std::unique_ptr<StreamDecoder> stream;  // null: a request to stop the music
  bool loop = false;
  uint32_t serial = 0;
  int channels = 0;
  double step = 0;
  std::vector<float> ring;  // kMusicRingFrames frames
  size_t start = 0, count = 0;
  double pos = 0;        // between the frames at start and start + 1
  bool ended = false;    // the stream has given its last frame
  bool rewound = false;  // nothing read since the last rewind: an empty stream ends
};

// Decodes up to `want` frames into the ring (fewer when it is full). A looping stream
// goes on from its first frame as soon as it ends, so the ring holds no gap.
void fillMusic(Music& m, size_t want) {
  const size_t ch = size_t(m.channels);
  size_t n = std::min(want, kMusicRingFrames - m.count);
  while (n > 0 && !m.ended) {
    const size_t w = (m.start + m.count) % kMusicRingFrames;
    const int piece = int(std::min(n, kMusicRingFrames - w));
    const int got = m.stream->read(m.ring.data() + w * ch, piece);
    if (got > 0) {
      const size_t g = std::min(size_t(got), size_t(piece));
      m.count += g;
      n -= g;
      m.rewound = false;
    } else if (m.loop && !m.rewound && m.stream->rewind()) {
      m.rewound = true;
    } else {
      m.ended = true;
    }
  }
}

// Drops the frames the position has passed and decodes what the next output frame needs.
// False when the stream has nothing left to play.
bool advanceMusic(Music& m, size_t budget) {
  for (;;) {
    const size_t drop = std::min(size_t(m.pos), m.count);
    m.start = (m.start + drop) % kMusicRingFrames;
    m.count -= drop;
    m.pos -= double(drop);
    if (m.pos < 1 && m.count >= 2) return true;
    if (m.ended) return m.pos < 1 && m.count > 0;
    fillMusic(m, std::max<size_t>(budget, 2));
  }
}

}  // namespace

struct Mixer::State {
  explicit State(int rate) : rate(rate) {}
  const int rate;

  // Taken by callers that claim or change slots and by the music calls: never by the
  // audio thread.
  std::mutex producers;
  int serial = 0;
  int cursor = 0;
  uint32_t musicSerialCounter = 0;

  std::array<Slot, kMaxVoices> slots;
  CommandRing<PlayCommand, kMaxVoices> plays;  // each queued play holds a slot: never full
  std::atomic<float> master{1}, musicVolume{1};
  std::atomic<bool> musicPaused{false};
  std::atomic<Music*> pendingMusic{nullptr};  // the next stream, or a stop, for the audio thread
  std::atomic<uint32_t> musicSerial{0};       // the stream last asked for, 0 after a stop
  std::atomic<uint32_t> musicEnded{0};        // the stream that ended by itself

  // The audio thread's own.
  std::array<Voice, kMaxVoices> voices;
  std::unique_ptr<Music> music;

  ~State() { delete pendingMusic.exchange(nullptr); }

  void takeCommands() {
    PlayCommand c;
    while (plays.pop(&c)) {
      Voice& v = voices[size_t(c.slot)];
      v.sound = std::move(c.sound);
      v.number = c.number;
      v.gainL = c.gainL;
      v.gainR = c.gainR;
      v.step = c.step;
      v.pos = 0;
    }
    if (Music* m = pendingMusic.exchange(nullptr, std::memory_order_acq_rel)) {
      if (m->stream) {
        music.reset(m);
      } else {
        music.reset();
        delete m;
      }
    }
  }

  void endVoice(int slot) {
    voices[size_t(slot)].sound.reset();
    slots[size_t(slot)].number.store(0, std::memory_order_release);
  }

  void mixVoice(int slot, float* out, int frames) {
    Voice& v = voices[size_t(slot)];
    const Slot& s = slots[size_t(slot)];
    if (s.stopNumber.load(std::memory_order_acquire) == v.number) return endVoice(slot);
    const bool loop = s.loop.load(std::memory_order_relaxed);
    const float* data = v.sound->samples.data();
    const int64_t n = v.sound->frames();
    const double last = double(n - 1);  // below it, frame i + 1 exists
    const float gl = v.gainL, gr = v.gainR;
    const bool stereo = v.sound->channels == 2;
    double pos = v.pos;
    for (float* o = out; o != out + size_t(frames) * 2; o += 2) {
      if (pos >= double(n)) {
        if (!loop) return endVoice(slot);
        pos = std::fmod(pos, double(n));
      }
      const int64_t i = int64_t(pos);
      const float f = float(pos - double(i));
      // The last frame leads back to the first in a loop, and to silence otherwise.
      const int64_t j = pos < last ? i + 1 : loop ? 0 : -1;
      if (stereo) {
        const float l0 = data[2 * i], r0 = data[2 * i + 1];
        const float l1 = j >= 0 ? data[2 * j] : 0.0f, r1 = j >= 0 ? data[2 * j + 1] : 0.0f;
        o[0] += (l0 + (l1 - l0) * f) * gl;
        o[1] += (r0 + (r1 - r0) * f) * gr;
      } else {
        const float a = data[i], b = j >= 0 ? data[j] : 0.0f;
        const float x = a + (b - a) * f;
        o[0] += x * gl;
        o[1] += x * gr;
      }
      pos += v.step;
    }
    v.pos = pos;
  }

  void mixMusic(float* out, int frames) {
    Music* m = music.get();
    if (!m || musicPaused.load(std::memory_order_relaxed)) return;
    const float gain = musicVolume.load(std::memory_order_relaxed);
    const size_t ch = size_t(m->channels);
    for (int k = 0; k < frames; ++k) {
      // At most what this render still needs is decoded here; fillAhead does the rest.
      const size_t budget = size_t(double(frames - k) * m->step) + 2;
      if (!advanceMusic(*m, budget)) {
        musicEnded.store(m->serial, std::memory_order_release);
        music.reset();
        return;
      }
      const float* a = m->ring.data() + m->start * ch;
      const float* b =
          m->count > 1 ? m->ring.data() + ((m->start + 1) % kMusicRingFrames) * ch : nullptr;
      const float f = float(m->pos);
      const float l0 = a[0], r0 = a[ch - 1];
      const float l1 = b ? b[0] : 0.0f, r1 = b ? b[ch - 1] : 0.0f;
      out[2 * size_t(k)] += (l0 + (l1 - l0) * f) * gain;
      out[2 * size_t(k) + 1] += (r0 + (r1 - r0) * f) * gain;
      m->pos += m->step;
    }
  }
};

Mixer::Mixer(int outputRate)
    : state_(std::make_unique<State>(std::clamp(outputRate, 1, kMaxRate))) {}
Mixer::~Mixer() = default;

int Mixer::outputRate() const {
  return state_->rate;
}

int Mixer::play(SharedSound sound, float volume, float pan, float pitch, bool loop) {
  if (!sound || sound->channels < 1 || sound->channels > 2 || sound->rate < 1 ||
      sound->rate > kMaxRate || sound->frames() <= 0)
    return 0;
  State& st = *state_;
  PlayCommand c;
  c.sound = std::move(sound);
  const float v = clampVolume(volume, 0.0f), p = clampPan(pan);
  c.gainL = v * std::min(1.0f, 1.0f - p);
  c.gainR = v * std::min(1.0f, 1.0f + p);
  c.step = double(clampPitch(pitch)) * c.sound->rate / st.rate;

  std::lock_guard<std::mutex> lock(st.producers);
  for (int i = 0; i < kMaxVoices; ++i) {
    const int s = (st.cursor + i) % kMaxVoices;
    Slot& slot = st.slots[size_t(s)];
    if (slot.number.load(std::memory_order_acquire) != 0) continue;
    // Slots are taken in turn, so a number's slot is not soon reused either.
    st.cursor = (s + 1) % kMaxVoices;
    st.serial = st.serial % kMaxSerial + 1;
    c.slot = s;
    c.number = st.serial << kSlotBits | s;
    slot.stopNumber.store(0, std::memory_order_relaxed);
    slot.loop.store(loop, std::memory_order_relaxed);
    slot.number.store(c.number, std::memory_order_release);
    const int number = c.number;
    if (!st.plays.push(std::move(c))) {  // cannot happen: each queued play holds a slot
      slot.number.store(0, std::memory_order_release);
      return 0;
    }
    return number;
  }
  return 0;
}

void Mixer::stop(int voice) {
  if (voice <= 0) return;
  Slot& slot = state_->slots[size_t(voice & (kMaxVoices - 1))];
  // No lock: if the slot passes to another voice meanwhile, the request names the old
  // number and the new voice ignores it.
  if (slot.number.load(std::memory_order_acquire) == voice)
    slot.stopNumber.store(voice, std::memory_order_release);
}

void Mixer::stopAll() {
  // Under the lock, so that a voice started after this call is not stopped by it.
  std::lock_guard<std::mutex> lock(state_->producers);
  for (Slot& slot : state_->slots)
    if (const int n = slot.number.load(std::memory_order_acquire))
      slot.stopNumber.store(n, std::memory_order_release);
}

bool Mixer::isPlaying(int voice) const {
  if (voice <= 0) return false;
  const Slot& slot = state_->slots[size_t(voice & (kMaxVoices - 1))];
  return slot.number.load(std::memory_order_acquire) == voice &&
         slot.stopNumber.load(std::memory_order_acquire) != voice;
}

void Mixer::setLooping(int voice, bool loop) {
  if (voice <= 0) return;
  std::lock_guard<std::mutex> lock(state_->producers);
  Slot& slot = state_->slots[size_t(voice & (kMaxVoices - 1))];
  if (slot.number.load(std::memory_order_acquire) == voice)
    slot.loop.store(loop, std::memory_order_relaxed);
}

void Mixer::setMasterVolume(float volume) {
  state_->master.store(clampVolume(volume, 1.0f), std::memory_order_relaxed);
}

void Mixer::playMusic(std::unique_ptr<StreamDecoder> stream, bool loop) {
  if (!stream || stream->channels() < 1 || stream->channels() > 2 || stream->rate() < 1 ||
      stream->rate() > kMaxRate)
    return stopMusic();
  State& st = *state_;
  auto m = std::make_unique<Music>();
  m->channels = stream->channels();
  m->step = double(stream->rate()) / st.rate;
  m->loop = loop;
  m->ring.resize(kMusicRingFrames * size_t(m->channels));
  m->stream = std::move(stream);
  std::lock_guard<std::mutex> lock(st.producers);
  st.musicSerialCounter = st.musicSerialCounter % 0xFFFFFFFEu + 1;
  m->serial = st.musicSerialCounter;
  st.musicPaused.store(false, std::memory_order_relaxed);
  st.musicSerial.store(m->serial, std::memory_order_release);
  // A stream the audio thread has not taken yet is replaced, and freed here.
  delete st.pendingMusic.exchange(m.release(), std::memory_order_acq_rel);
}

void Mixer::stopMusic() {
  State& st = *state_;
  auto stop = std::make_unique<Music>();
  std::lock_guard<std::mutex> lock(st.producers);
  st.musicSerial.store(0, std::memory_order_release);
  delete st.pendingMusic.exchange(stop.release(), std::memory_order_acq_rel);
}

void Mixer::pauseMusic(bool paused) {
  state_->musicPaused.store(paused, std::memory_order_relaxed);
}

void Mixer::setMusicVolume(float volume) {
  state_->musicVolume.store(clampVolume(volume, 1.0f), std::memory_order_relaxed);
}

bool Mixer::isMusicPlaying() const {
  const uint32_t s = state_->musicSerial.load(std::memory_order_acquire);
  return s != 0 && state_->musicEnded.load(std::memory_order_acquire) != s;
}

void Mixer::render(float* out, int frames) {
  if (!out || frames <= 0) return;
  State& st = *state_;
  st.takeCommands();
  std::fill(out, out + size_t(frames) * 2, 0.0f);
  for (int s = 0; s < kMaxVoices; ++s)
    if (st.voices[size_t(s)].sound) st.mixVoice(s, out, frames);
  st.mixMusic(out, frames);
  const float master = st.master.load(std::memory_order_relaxed);
  for (size_t i = 0; i < size_t(frames) * 2; ++i) out[i] = limitSample(out[i] * master);
}

void Mixer::fillAhead() {
  State& st = *state_;
  st.takeCommands();
  if (st.music) fillMusic(*st.music, kMusicRingFrames);
}

}  // namespace Slate::Audio
