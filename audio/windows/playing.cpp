// Voices and music, handed to the mixer thread's queue: none of these wait on the device.
#include <slate/graphics.h>

#include <string>
#include <vector>

#include "engine.h"
#include "errors.h"
#include "file_bytes.h"
#include "slate/audio/decoding.h"

namespace Slate {

using Audio::Engine;

int playSound(const SOUND* sound, float volume, float pan, float pitch) {
  const wchar_t* const call = L"playSound";
  if (sound == nullptr || sound->empty()) return reportError(call, L"the sound is empty"), 0;
  Engine::Use use;
  Engine* engine = Engine::forPlaying(call);
  if (engine == nullptr) return 0;
  const int voice = engine->mixer().play(sound->data, volume, pan, pitch, false);
  if (voice == 0) reportErrorf(call, L"too many voices (%d play at once)", Audio::kMaxVoices);
  return voice;
}

void stopVoice(int voice) {
  Engine::Use use;
  if (Engine* engine = Engine::ifStarted()) engine->mixer().stop(voice);
}

bool isVoicePlaying(int voice) {
  Engine::Use use;
  Engine* engine = Engine::ifStarted();
  return engine != nullptr && voice > 0 && engine->mixer().isPlaying(voice);
}

void setVoiceLooping(int voice, bool looping) {
  Engine::Use use;
  if (Engine* engine = Engine::ifStarted()) engine->mixer().setLooping(voice, looping);
}

void stopAllSounds() {
  Engine::Use use;
  if (Engine* engine = Engine::ifStarted()) engine->mixer().stopAll();
}

void setMasterVolume(float volume) {
  Engine::setMasterVolume(volume);
}

bool playMusicFile(const wchar_t* path, bool loop) {
  const wchar_t* const call = L"playMusicFile";
  std::vector<uint8_t> bytes;
  if (!Audio::readFileBytes(call, path, &bytes)) return false;
  std::string reason;
  std::unique_ptr<Audio::StreamDecoder> stream;
  try {
    stream = Audio::openStreamDecoder(std::move(bytes), &reason);
  } catch (const std::bad_alloc&) {
    reason = "out of memory";
  }
  if (!stream) {
    const std::wstring why(reason.begin(), reason.end());
    return reportErrorf(call, L"%ls: %ls", ShownPath(path).text,
                        why.empty() ? L"cannot be decoded" : why.c_str());
  }
  Engine::Use use;
  Engine* engine = Engine::forPlaying(call);
  if (engine == nullptr) return false;
  engine->mixer().playMusic(std::move(stream), loop);
  return true;
}

void stopMusic() {
  Engine::Use use;
  if (Engine* engine = Engine::ifStarted()) engine->mixer().stopMusic();
}

void pauseMusic(bool paused) {
  Engine::Use use;
  if (Engine* engine = Engine::ifStarted()) engine->mixer().pauseMusic(paused);
}

void setMusicVolume(float volume) {
  Engine::setMusicVolume(volume);
}

}  // namespace Slate
