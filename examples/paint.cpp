// A paint program. Pick a colour from the palette, draw with the left button; the right
// button gives a clean page. S saves the picture as painting.png beside the program (its
// folder from getProgramFolder(), so the file is the same wherever the program was started
// from) and L loads it back. It opens its window with OPEN_CLOSE_REQUEST, so closing the window
// with unsaved drawing first asks whether to save. Between events it sleeps (waitForInput).
#include <slate/graphics.h>

#include <string>

using namespace Slate;

const int WIDTH = 800, HEIGHT = 450, BAR = 40;  // the palette bar above the page
const COLORREF PALETTE[] = {BLACK, RED, ORANGE, YELLOW, GREEN, CYAN, BLUE, MAGENTA, BROWN};
const int COLOURS = sizeof PALETTE / sizeof PALETTE[0];
const std::wstring FILE_PATH = std::wstring(getProgramFolder()) + L"painting.png";

COLORREF pen = BLACK;
bool unsaved = false;
bool asking = false;   // the question about saving is on the screen
IMAGE underQuestion;   // the page where the question stands, for a Cancel
bool drawing = false;  // the left button went down on the page

// The line under the palette's hint, for what the last key did.
void say(const wchar_t* text) {
  setFillColor(DARKGRAY);
  solidRectangle(470, 22, WIDTH - 1, BAR - 1);
  setTextColor(WHITE);
  setTextStyle(16, 0, L"Arial");
  writeTextAt(470, 22, text);
}

void drawBar() {
  setFillColor(DARKGRAY);
  solidRectangle(0, 0, WIDTH - 1, BAR - 1);
  for (int i = 0; i < COLOURS; ++i) {
    setFillColor(PALETTE[i]);
    solidRectangle(5 + i * 45, 5, 44 + i * 45, 34);
    if (PALETTE[i] == pen) {  // the chosen colour is framed in white
      setLineColor(WHITE);
      setLineStyle(PS_SOLID, 2);
      rectangle(3 + i * 45, 3, 46 + i * 45, 36);
    }
  }
  setTextColor(LIGHTGRAY);
  setTextStyle(16, 0, L"Arial");
  writeTextAt(470, 4, L"S: save   L: load   right button: new page");
}

void newPage() {
  setFillColor(WHITE);
  solidRectangle(0, BAR, WIDTH - 1, HEIGHT - 1);
}

bool save() {
  if (!saveImageFile(nullptr, FILE_PATH.c_str())) {
    say(lastError());  // the reason, also on standard error
    return false;
  }
  unsaved = false;
  say(L"Saved painting.png");
  return true;
}

void load() {
  if (loadImageFile(nullptr, FILE_PATH.c_str(), 0, 0, false)) {
    drawBar();  // the saved bar may show another colour as chosen
    unsaved = false;
    say(L"Loaded painting.png");
  } else {
    say(lastError());
  }
}

void ask() {
  asking = true;
  captureImage(&underQuestion, 200, 170, 401, 111);
  setFillColor(LIGHTGRAY);
  solidRectangle(200, 170, 600, 280);
  setTextColor(BLACK);
  setTextStyle(22, 0, L"Arial");
  writeTextAt(220, 185, L"Save your painting before closing?");
  writeTextAt(220, 230, L"Y: save and close  N: close  C: cancel");
}

// Cancel: the question goes, the page is back, and the window stays open.
void cancelClose() {
  asking = false;
  cancelCloseRequest();
  drawImage(200, 170, &underQuestion, SRCCOPY);
}

void onMouse(const MOUSEMSG& m) {
  if (m.message == WM_LBUTTONDOWN && m.y < BAR) {
    const int i = (m.x - 5) / 45;
    if (m.x >= 5 && i < COLOURS) pen = PALETTE[i];
    drawBar();
  } else if (m.message == WM_LBUTTONDOWN) {
    drawing = true;
    moveTo(m.x, m.y);
  } else if (m.message == WM_LBUTTONUP) {
    drawing = false;
  } else if (m.message == WM_MOUSEMOVE && m.leftDown && drawing && m.y >= BAR) {
    setLineColor(pen);
    setLineStyle(PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND, 6);
    lineTo(m.x, m.y);
    unsaved = true;
  } else if (m.message == WM_RBUTTONDOWN) {
    newPage();
    unsaved = true;
  }
}

void onKey(const KEYMSG& k) {
  if (k.message != WM_KEYDOWN) return;
  if (asking && (k.key == 'Y' || k.key == 'N')) {
    if (k.key == 'N' || save()) closeGraphWindow();
  } else if (asking && (k.key == 'C' || k.key == VK_ESCAPE)) {
    cancelClose();
  } else if (!asking && k.key == 'S') {
    save();
  } else if (!asking && k.key == 'L') {
    load();
  }
}

int main() {
  if (!openGraphWindow(WIDTH, HEIGHT, OPEN_CLOSE_REQUEST)) return 1;  // Slate said why
  setBkMode(TRANSPARENT);
  drawBar();
  newPage();
  while (isWindowOpen()) {
    waitForInput(1000);  // asleep until something happens
    if (isCloseRequested() && !asking) {
      if (!unsaved) break;
      ask();
    }
    MOUSEMSG m;
    while (peekMouseMessage(&m)) {
      if (!asking) onMouse(m);
    }
    KEYMSG k;
    while (peekKeyMessage(&k)) onKey(k);
  }
  closeGraphWindow();
  return 0;
}
