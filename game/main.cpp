// The program's entry: the title spin, the menu over its last frame, and the music.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "game.h"
#include "resource_ids.h"
#include "timing.h"

using namespace Slate;

// Built after the graphics context, in this order, and destroyed before it.
IMAGE pictures[7];
IMAGE tiles[20];

namespace {

constexpr COLORREF kMenuGreen = 0x00AA00;

void startMusic() {
  const int k = std::rand() % MUSIC_COUNT;
  // Without SND_NODEFAULT a clip that cannot be found plays the system's default sound.
  PlaySoundW(MAKEINTRESOURCEW(IDR_FIRST_MUSIC + k), nullptr,
             SND_RESOURCE | SND_ASYNC | SND_LOOP | SND_NODEFAULT);
}

// The menu's and the congratulation's faces come with Microsoft Office, not with Windows:
// where one is missing, the game draws with a face it carries (resources/fonts).
void useCarriedFaces() {
  const struct {
    const wchar_t* face;
    const wchar_t* standIn;
    int resource;
  } faces[] = {{L"华文新魏", L"SlidePuzzle Kai", IDR_KAI_FONT},
               {L"Mistral", L"SlidePuzzle Script", IDR_SCRIPT_FONT}};
  HMODULE program = GetModuleHandleW(nullptr);
  for (const auto& f : faces) {
    HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(f.resource), L"FONTFILE");
    HGLOBAL loaded = found ? LoadResource(program, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    // A build without them draws with whatever the platform maps the face to.
    if (data) useStandInFace(f.face, f.standIn, data, SizeofResource(program, found));
  }
}

void writePlay() {
  writeTextAt(340, 430, L"P");
  writeTextAt(340, 470, L"L");
  writeTextAt(338, 510, L"A");
  writeTextAt(340, 550, L"Y");
}

// MUSIC is written letter by letter; its S comes last, twice as wide.
void writeMusic() {
  setTextStyle(40, 20, L"华文新魏");
  writeTextAt(460, 430, L"M");
  writeTextAt(465, 463, L"U");
  writeTextAt(475, 527, L"I");
  writeTextAt(465, 560, L"C");
  setTextStyle(40, 40, L"华文新魏");
  writeTextAt(460, 495, L"S");
}

void redrawMenu() {
  setTextColor(kMenuGreen);
  setTextStyle(55, 0, L"华文新魏");
  writePlay();
  writeMusic();
  setTextStyle(60, 0, L"Mistral");
  writeTextAt(10, 545, L"ESC");
  writeTextAt(780, 545, L"ABOUT");
}

bool inside(const MOUSEMSG& m, int left, int top, int right, int bottom) {
  return m.x >= left && m.x <= right && m.y >= top && m.y <= bottom;
}

// The first rectangle that holds the pointer wins. ESC and ABOUT keep whatever font is
// current, so they can show in the face the previous highlight left.
void highlight(const MOUSEMSG& m) {
  if (inside(m, 1, 546, 79, 599)) {
    setTextColor(0x0000AA);
    writeTextAt(10, 545, L"ESC");
  } else if (inside(m, 776, 546, 899, 599)) {
    setTextColor(0xFFFFFF);
    writeTextAt(780, 545, L"ABOUT");
  } else if (inside(m, 336, 421, 379, 599)) {
    setTextColor(0x55FFFF);
    setTextStyle(55, 0, L"华文新魏");
    writePlay();
  } else if (inside(m, 456, 421, 507, 599)) {
    setTextColor(0x0080FF);
    writeMusic();
  } else {
    redrawMenu();
  }
}

// Sleep counts in timer ticks, 15.6 ms by default on Windows, so Sleep(15) would last up to two
// of them; a 1 ms timer period, asked for just around the frames and ended just after them as
// timeBeginPeriod's documentation asks, keeps each pause near 15 ms.
void spinTitle() {
  const bool finePeriod = timeBeginPeriod(1) == TIMERR_NOERROR;
  for (int n = 0; n >= -12; --n) {
    const double angle = static_cast<double>(n) * 3.14 / 6.0;
    rotateImage(&pictures[6], &pictures[0], angle, 0, false, true);
    drawImage(0, 0, &pictures[6], SRCCOPY);
    Sleep(15);
  }
  if (finePeriod) timeEndPeriod(1);
}

}  // namespace

int main() {
  TIMING_STAMP("main");
  // Without its window the game has nothing to show and nothing to read clicks from.
  if (!openGraphWindow(900, 600, 0)) {
    std::fputs("SlidePuzzle: the window could not be opened\n", stderr);
    return 1;
  }
  TIMING_STAMP("window open");
  useCarriedFaces();
  int musicOn = 1;
  for (int i = 0; i < 6; ++i) {
    loadImageResource(&pictures[i], L"IMAGE", MAKEINTRESOURCEW(IDR_TITLE_PICTURE + i), 900, 600,
                      false);
  }
  TIMING_STAMP("pictures loaded");
  spinTitle();
  TIMING_STAMP("spin done");
  setBkMode(TRANSPARENT);
  redrawMenu();

  std::srand(static_cast<unsigned>(_time64(nullptr)));
  startMusic();
  TIMING_STAMP("menu ready");

  for (;;) {
    const MOUSEMSG m = getMouseMessage();
    highlight(m);
    if (m.message != WM_LBUTTONDOWN) continue;
    // The click acts where the next message is, normally the release of the same press.
    const MOUSEMSG m2 = getMouseMessage();
    const int x = m2.x, y = m2.y;
    if (x > 0 && x < 80 && y > 545 && y < 600) {
      std::exit(0);
    } else if (x > 775 && x < 900 && y > 545 && y < 600) {
      // ABOUT does nothing.
    } else if (x > 335 && x < 380 && y > 420 && y < 600) {
      startGame();
    } else if (x > 455 && x < 508 && y >= 421 && y <= 599) {
      musicOn = musicOn == 0 ? 1 : 0;
      if (musicOn == 0) {
        PlaySoundW(nullptr, nullptr, 0);
      } else {
        startMusic();
      }
    }
  }
}
