// A sound board: eight keys (A S D F G H J K) each play a note over music that loops. The
// notes and the music are made by the program itself at start-up, written as WAV files
// into the temporary folder and loaded from there. Space pauses the music, Esc silences the
// notes. Press a key many times: each press is a voice of its own, and they mix.
#include <slate/graphics.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

using namespace Slate;

const int PADS = 8;
const char KEYS[PADS + 1] = "ASDFGHJK";
const double NOTES[PADS] = {523.25, 587.33, 659.26, 698.46, 783.99, 880.00, 987.77, 1046.50};
const int RATE = 44100;
const double PI = 3.14159265358979;

SOUND pads[PADS];
double litUntil[PADS];  // the time until which each pad shows as pressed
bool musicPaused = false;

// Writes mono samples in [-1, 1] as a 16-bit WAV file; returns its path.
std::wstring writeWav(const wchar_t* name, const std::vector<float>& samples) {
  std::vector<uint8_t> file;
  auto put = [&file](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) file.push_back(uint8_t(value >> (8 * i)));
  };
  const uint32_t dataBytes = uint32_t(samples.size() * 2);
  for (char c : std::string("RIFF")) file.push_back(uint8_t(c));
  put(36 + dataBytes, 4);
  for (char c : std::string("WAVEfmt ")) file.push_back(uint8_t(c));
  put(16, 4), put(1, 2), put(1, 2), put(RATE, 4), put(RATE * 2, 4), put(2, 2), put(16, 2);
  for (char c : std::string("data")) file.push_back(uint8_t(c));
  put(dataBytes, 4);
  for (float s : samples) put(uint16_t(int16_t(std::lround(s * 32767))), 2);

  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + name;
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (out) {
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
  }
  return path;
}

// A plucked note: a sine with a little of its octave, dying away over 0.8 s.
std::vector<float> pluck(double hz) {
  std::vector<float> samples(RATE * 8 / 10);
  for (size_t i = 0; i < samples.size(); ++i) {
    const double t = double(i) / RATE;
    const double attack = std::fmin(1.0, t * 200);  // 5 ms, so the start does not click
    samples[i] = float(0.4 * attack * std::exp(-5 * t) *
                       (std::sin(2 * PI * hz * t) + 0.3 * std::sin(4 * PI * hz * t)));
  }
  return samples;
}

// Two seconds of bass, C E G E, a whole number of periods of each, so the loop is seamless.
std::vector<float> bassLine() {
  const double notes[4] = {130.81, 164.81, 196.00, 164.81};
  std::vector<float> samples;
  for (double hz : notes) {
    const int periods = int(hz / 2);  // about half a second each, ending on a whole period
    const int frames = int(std::lround(periods * RATE / hz));
    for (int i = 0; i < frames; ++i) {
      samples.push_back(float(0.5 * std::sin(2 * PI * periods * double(i) / frames)));
    }
  }
  return samples;
}

void draw() {
  clearDevice();
  const double now = getTime();
  for (int i = 0; i < PADS; ++i) {
    const int x = 30 + i * 95, y = 120;
    setFillColor(now < litUntil[i] ? YELLOW : BLUE);
    solidRoundRect(x, y, x + 80, y + 160, 16, 16);
    setTextColor(now < litUntil[i] ? BLACK : WHITE);
    setTextStyle(48, 0, L"Arial");
    const wchar_t key[2] = {wchar_t(KEYS[i]), 0};
    writeTextAt(x + 40 - textWidth(key) / 2, y + 56, key);
  }
  setTextColor(WHITE);
  setTextStyle(36, 0, L"Arial");
  writeTextAt(30, 30, L"Sound board");
  setTextStyle(20, 0, L"Arial");
  writeTextAt(30, 320, L"A S D F G H J K play notes over the music.");
  writeTextAt(30, 350, musicPaused ? L"Space: music on (paused now)" : L"Space: pause the music");
  writeTextAt(30, 380, L"Esc: silence the notes");
  flushBufferedDrawing();
}

int main() {
  openGraphWindow(800, 450, 0);
  setBkColor(BLACK);
  setBkMode(TRANSPARENT);
  beginBufferedDrawing();

  for (int i = 0; i < PADS; ++i) {
    wchar_t name[32];
    std::swprintf(name, 32, L"sound_board_%c.wav", KEYS[i]);
    loadSoundFile(&pads[i], writeWav(name, pluck(NOTES[i])).c_str());
  }
  setMusicVolume(0.4f);
  // Without an audio device this fails and says so; the board still runs, silently.
  playMusicFile(writeWav(L"sound_board_music.wav", bassLine()).c_str(), true);
  draw();

  while (isWindowOpen()) {
    KEYMSG key;
    while (peekKeyMessage(&key)) {
      if (key.message != WM_KEYDOWN) continue;
      for (int i = 0; i < PADS; ++i) {
        if (key.key == UINT(KEYS[i])) {
          playSound(&pads[i], 1.0f, (i - 3.5f) / 5);  // low notes left, high notes right
          litUntil[i] = getTime() + 0.2;
        }
      }
      if (key.key == VK_SPACE) pauseMusic(musicPaused = !musicPaused);
      if (key.key == VK_ESCAPE) stopAllSounds();
    }
    draw();
    waitForNextFrame(30);
  }
}
