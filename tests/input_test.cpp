// Keys, input without waiting, the reader's waits and the close request, through the real
// window procedure: messages are sent or posted to the window as the platform would.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "context.h"
#include "support/host.h"

using namespace Slate;
using SlateTest::runOnHost;

namespace {

struct Message {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// lParam of a key message: scan code 0x1E, and the context and previous-state bits.
constexpr LPARAM kFirst = 0x001E0001, kRepeat = kFirst | (1 << 30), kUp = kFirst | (3 << 30);
constexpr LPARAM kAlt = kFirst | (1 << 29), kAltRepeat = kRepeat | (1 << 29);

std::string describe(const KEYMSG& k) {
  char text[80];
  std::snprintf(text, sizeof text, "%04X %X%s%s%s%s", k.message, k.key, k.ctrlDown ? " ctrl" : "",
                k.shiftDown ? " shift" : "", k.altDown ? " alt" : "", k.repeat ? " repeat" : "");
  return text;
}

KEYMSG key(UINT message, std::uint32_t code, const char* flags = "") {
  const std::string f = flags;
  return {message,
          code,
          f.find('c') != f.npos,
          f.find('s') != f.npos,
          f.find('a') != f.npos,
          f.find('r') != f.npos};
}

std::vector<Message> repeated(Message m, int times) {
  return std::vector<Message>(times, m);
}

std::vector<KEYMSG> repeated(KEYMSG k, int times) {
  return std::vector<KEYMSG>(times, k);
}

struct KeyRow {
  const char* name;
  std::vector<Message> sent;
  std::vector<KEYMSG> records;  // what the queue holds afterwards, oldest first
  std::vector<int> down;        // the keys isKeyDown sees held; every other key is up
};

const std::vector<KeyRow>& keyRows() {
  static const std::vector<KeyRow> rows = {
      {"press", {{WM_KEYDOWN, 'A', kFirst}}, {key(WM_KEYDOWN, 'A')}, {'A'}},
      {"held key repeats",
       {{WM_KEYDOWN, VK_LEFT, kFirst}, {WM_KEYDOWN, VK_LEFT, kRepeat}},
       {key(WM_KEYDOWN, VK_LEFT), key(WM_KEYDOWN, VK_LEFT, "r")},
       {VK_LEFT}},
      {"press and release",
       {{WM_KEYDOWN, 'A', kFirst}, {WM_KEYUP, 'A', kUp}},
       {key(WM_KEYDOWN, 'A'), key(WM_KEYUP, 'A')},
       {}},
      {"shift and a character",
       {{WM_KEYDOWN, VK_SHIFT, kFirst}, {WM_KEYDOWN, 'B', kFirst}, {WM_CHAR, 'B', kFirst}},
       {key(WM_KEYDOWN, VK_SHIFT, "s"), key(WM_KEYDOWN, 'B', "s"), key(WM_CHAR, 'B', "s")},
       {VK_SHIFT, 'B'}},
      {"ctrl",
       {{WM_KEYDOWN, VK_CONTROL, kFirst}, {WM_KEYDOWN, 'C', kRepeat}},
       {key(WM_KEYDOWN, VK_CONTROL, "c"), key(WM_KEYDOWN, 'C', "cr")},
       {VK_CONTROL, 'C'}},
      {"alt folds system keys into down and up",
       {{WM_SYSKEYDOWN, VK_MENU, kAlt}, {WM_SYSKEYDOWN, 'X', kAltRepeat}, {WM_SYSKEYUP, 'X', kUp}},
       {key(WM_KEYDOWN, VK_MENU, "a"), key(WM_KEYDOWN, 'X', "ar"), key(WM_KEYUP, 'X')},
       {VK_MENU}},
      {"F10 is a system key without alt",
       {{WM_SYSKEYDOWN, VK_F10, kFirst}},
       {key(WM_KEYDOWN, VK_F10)},
       {VK_F10}},
      {"a UTF-16 unit",
       {{WM_CHAR, 0xD83D, kFirst}, {WM_CHAR, 0xE9, kRepeat}},
       {key(WM_CHAR, 0xD83D), key(WM_CHAR, 0xE9, "r")},
       {}},
      {"codes past a byte keep their low byte",
       {{WM_KEYDOWN, 0x12345641, kFirst}},
       {key(WM_KEYDOWN, 'A')},
       {'A'}},
      {"losing the focus lifts every key",
       {{WM_KEYDOWN, 'A', kFirst}, {WM_KEYDOWN, VK_SPACE, kFirst}, {WM_KILLFOCUS, 0, 0}},
       {key(WM_KEYDOWN, 'A'), key(WM_KEYDOWN, VK_SPACE)},
       {}},
      {"another program activated lifts every key",
       {{WM_KEYDOWN, VK_UP, kFirst}, {WM_ACTIVATEAPP, FALSE, 0}},
       {key(WM_KEYDOWN, VK_UP)},
       {}},
      {"the focus back reads every key again from the system, where none is held",
       {{WM_KEYDOWN, 'A', kFirst}, {WM_KEYDOWN, VK_CONTROL, kFirst}, {WM_SETFOCUS, 0, 0}},
       {key(WM_KEYDOWN, 'A'), key(WM_KEYDOWN, VK_CONTROL, "c")},
       {}},
      {"so does the window's activation, and later records' flags follow",
       {{WM_KEYDOWN, VK_CONTROL, kFirst}, {WM_ACTIVATE, WA_ACTIVE, 0}, {WM_KEYDOWN, 'B', kFirst}},
       {key(WM_KEYDOWN, VK_CONTROL, "c"), key(WM_KEYDOWN, 'B')},
       {'B'}},
      {"this program activated keeps them",
       {{WM_KEYDOWN, VK_UP, kFirst}, {WM_ACTIVATEAPP, TRUE, 0}},
       {key(WM_KEYDOWN, VK_UP)},
       {VK_UP}},
      {"a full queue drops, the state goes on",
       [] {
         auto sent = repeated(Message{WM_CHAR, 'z', kFirst}, 70);
         sent.push_back({WM_KEYDOWN, 'Q', kFirst});
         return sent;
       }(),
       repeated(key(WM_CHAR, 'z'), 63),
       {'Q'}},
  };
  return rows;
}

class Input : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    runOnHost("xdotool mousemove 1279 1023");  // the real pointer makes no moves of its own
    if (!graphContext.window.hwnd) openGraphWindow(320, 200, OPEN_CLOSE_REQUEST);
  }
  void SetUp() override {
    hwnd = graphContext.window.hwnd;
    ASSERT_NE(hwnd, nullptr);
    send({WM_KILLFOCUS, 0, 0});
    flushInputMessages();
  }
  void send(const Message& m) { SendMessageW(hwnd, m.message, m.wParam, m.lParam); }
  // Sent from another thread after `delayMs`, while this one waits. Sent, not posted, so
  // that no WM_CHAR of the platform's making follows a key.
  std::thread sendLater(Message m, DWORD delayMs) {
    HWND target = hwnd;
    return std::thread([=] {
      Sleep(delayMs);
      SendMessageW(target, m.message, m.wParam, m.lParam);
    });
  }
  HWND hwnd = nullptr;
};

TEST_F(Input, KeyMessagesGiveRecordsAndKeyState) {
  for (const KeyRow& row : keyRows()) {
    SetUp();
    for (const Message& m : row.sent) send(m);
    std::string got, want;
    KEYMSG record;
    while (peekKeyMessage(&record)) got += describe(record) + "; ";
    for (const KEYMSG& k : row.records) want += describe(k) + "; ";
    EXPECT_EQ(got, want) << row.name;
    std::string held;
    for (int vk = 1; vk < 256; ++vk) {
      if (isKeyDown(vk)) held += std::to_string(vk) + " ";
    }
    std::string expected;
    for (int vk : row.down) expected += std::to_string(vk) + " ";
    EXPECT_EQ(held, expected) << row.name;
  }
}

TEST_F(Input, PeekingAndFlushingNeverWait) {
  MOUSEMSG mouse = {};
  KEYMSG keyRecord = {};
  EXPECT_FALSE(peekMouseMessage(&mouse));
  EXPECT_FALSE(peekKeyMessage(&keyRecord, false));
  send({WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, MAKELPARAM(30, 40)});
  send({WM_KEYDOWN, 'K', kFirst});
  ASSERT_TRUE(peekMouseMessage(&mouse, false));
  ASSERT_TRUE(peekMouseMessage(&mouse));  // still there after a look
  EXPECT_EQ(mouse.message, static_cast<std::uint32_t>(WM_MOUSEMOVE));
  EXPECT_FALSE(peekMouseMessage(&mouse));
  send({WM_MOUSEMOVE, 0, MAKELPARAM(1, 1)});
  flushInputMessages();
  EXPECT_FALSE(peekMouseMessage(&mouse));
  EXPECT_FALSE(peekKeyMessage(&keyRecord));
  EXPECT_TRUE(isKeyDown('K'));  // emptying the queues leaves the state
}

TEST_F(Input, MouseStateIsTheLastPositionAndButtons) {
  MOUSEMSG state = {};
  send({WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-30, 40)});
  ASSERT_TRUE(getMouseState(&state));
  EXPECT_EQ(state.x, -30);
  EXPECT_EQ(state.y, 40);
  EXPECT_TRUE(state.leftDown && state.shiftDown && !state.rightDown && !state.ctrlDown);
  EXPECT_EQ(state.message, 0u);
  send({WM_KILLFOCUS, 0, 0});
  ASSERT_TRUE(getMouseState(&state));
  EXPECT_FALSE(state.leftDown);  // a release the window could not see
  EXPECT_EQ(state.x, -30);
}

TEST_F(Input, WaitsEndOnTheInputTheyWaitFor) {
  EXPECT_FALSE(waitForInput(0));
  const double start = getTime();
  EXPECT_FALSE(waitForInput(100));
  EXPECT_GE(getTime() - start, 0.09);
  std::thread sender = sendLater({WM_CHAR, 'w', kFirst}, 50);
  EXPECT_TRUE(waitForInput(10000));
  sender.join();
  // A key does not end a mouse read, nor a mouse message a key read.
  sender = sendLater({WM_KEYDOWN, 'M', kFirst}, 20);
  std::thread other = sendLater({WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6)}, 150);
  EXPECT_EQ(getMouseMessage().message, static_cast<std::uint32_t>(WM_LBUTTONDOWN));
  sender.join();
  other.join();
  flushInputMessages();
  sender = sendLater({WM_MOUSEMOVE, 0, 0}, 20);
  other = sendLater({WM_KEYDOWN, VK_ESCAPE, kFirst}, 150);
  EXPECT_EQ(getKeyMessage().key, static_cast<std::uint32_t>(VK_ESCAPE));
  sender.join();
  other.join();
  flushInputMessages();
  // The user's close request ends one wait or blocking read, with an empty record.
  sender = sendLater({WM_CLOSE, 0, 0}, 20);
  EXPECT_EQ(getKeyMessage().message, 0u);
  sender.join();
  EXPECT_TRUE(isCloseRequested());
  EXPECT_FALSE(waitForInput(0));
  sender = sendLater({WM_CLOSE, 0, 0}, 20);
  EXPECT_EQ(getMouseMessage().message, 0u);
  sender.join();
  sender = sendLater({WM_CLOSE, 0, 0}, 20);
  EXPECT_TRUE(waitForInput(10000));
  sender.join();
  EXPECT_FALSE(waitForInput(0));
  EXPECT_TRUE(isCloseRequested());
}

struct WaitRow {
  const char* name;
  std::vector<Message> before;  // sent before the wait
  bool seen;                    // a wait returned after them, so they are no news
  int kinds;
  Message later;  // sent while it waits (message 0: nothing)
  bool ends;      // the wait ends on news rather than after its timeout
};

const std::vector<WaitRow>& waitRows() {
  const Message key = {WM_KEYDOWN, 'W', kFirst}, move = {WM_MOUSEMOVE, 0, MAKELPARAM(3, 4)};
  const Message close = {WM_CLOSE, 0, 0}, none = {0, 0, 0};
  static const std::vector<WaitRow> rows = {
      {"a key queued before the first wait", {key}, false, WAIT_FOR_ANY, none, true},
      {"a key left unread does not end the next wait", {key}, true, WAIT_FOR_ANY, none, false},
      {"nor does a mouse move left unread", {move}, true, WAIT_FOR_MOUSE, none, false},
      {"a new key ends a key wait, beside an old one", {key}, true, WAIT_FOR_KEYS, key, true},
      {"mouse moves do not end a key wait", {}, false, WAIT_FOR_KEYS, move, false},
      {"a key does not end a mouse wait", {}, false, WAIT_FOR_MOUSE, key, false},
      {"a mouse move ends a mouse wait", {}, false, WAIT_FOR_MOUSE, move, true},
      {"a close request ends a close wait", {}, false, WAIT_FOR_CLOSE, close, true},
      {"but not a key wait", {}, false, WAIT_FOR_KEYS, close, false},
      {"any kind ends a wait for all", {move}, true, WAIT_FOR_ANY, move, true},
  };
  return rows;
}

// The waits end only on what arrived since the last wait and is still queued, of the kinds
// asked for.
TEST_F(Input, WaitsEndOnlyOnNewsOfTheKindsAskedFor) {
  for (const WaitRow& row : waitRows()) {
    SetUp();
    for (const Message& m : row.before) send(m);
    if (row.seen) waitForInput(0);
    std::thread sender;
    if (row.later.message) sender = sendLater(row.later, 30);
    const double start = getTime();
    const bool ended = waitForInput(row.ends ? 5000 : 300, row.kinds);
    const double took = getTime() - start;
    if (sender.joinable()) sender.join();
    EXPECT_EQ(ended, row.ends) << row.name;
    EXPECT_TRUE(row.ends ? took < 4 : took >= 0.29) << row.name << ": " << took << " s";
    cancelCloseRequest();
    waitForInput(0);  // a close request a key wait left stays news otherwise
  }
}

// Cancel to a "Save changes?" question: the request is forgotten until the user asks again.
TEST(CloseRequest, ACancelledRequestIsForgottenUntilTheNext) {
  HWND hwnd = openGraphWindow(320, 200, OPEN_CLOSE_REQUEST);
  ASSERT_NE(hwnd, nullptr);
  for (int round = 0; round < 2; ++round) {
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(isCloseRequested()) << round;
    cancelCloseRequest();
    EXPECT_FALSE(isCloseRequested()) << round;
    EXPECT_FALSE(waitForInput(0, WAIT_FOR_CLOSE)) << round;
    EXPECT_TRUE(isWindowOpen()) << round;
  }
  closeGraphWindow();
  cancelCloseRequest();  // no window: nothing to forget
  EXPECT_FALSE(isCloseRequested());
}

// Alt+F4 still reaches the platform, which turns it into the close; with OPEN_CLOSE_REQUEST
// that close is only noted, until the program closes the window.
TEST(CloseRequest, AltF4AndTheCloseButtonAskTheProgram) {
  HWND hwnd = openGraphWindow(320, 200, OPEN_CLOSE_REQUEST);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_FALSE(isCloseRequested());
  PostMessageW(hwnd, WM_SYSKEYDOWN, VK_F4, kAlt);
  EXPECT_TRUE(waitForInput(5000));
  EXPECT_TRUE(SlateTest::waitUntil([] { return isCloseRequested(); }));
  EXPECT_TRUE(isWindowOpen());
  EXPECT_TRUE(setWindowTitle(L"Save first?"));
  wchar_t title[32] = {};
  GetWindowTextW(hwnd, title, 32);
  EXPECT_STREQ(title, L"Save first?");
  closeGraphWindow();
  EXPECT_FALSE(isWindowOpen());
  EXPECT_FALSE(isCloseRequested());
  // The flag belongs to the window opened with it: the next opening starts without a request.
  ASSERT_NE(openGraphWindow(320, 200, OPEN_CLOSE_REQUEST), nullptr);
  EXPECT_FALSE(isCloseRequested());
  closeGraphWindow();
}

}  // namespace
