// A test fixture for the window target: the 900 x 600 window opened once per suite, and every
// test started from a reset, cleared window that is the current target.
#pragma once

#include <gtest/gtest.h>

#include "context.h"
#include "support/host.h"

namespace SlateTest {

// The window's whole client area as its own DC holds it.
inline Pixels shownOnWindow() {
  const Slate::GraphWnd& window = Slate::graphContext.window;
  return readWindow(window.hwnd, 0, 0, window.width, window.height);
}

class WindowTargetTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (Slate::graphContext.window.hwnd == nullptr) Slate::openGraphWindow(900, 600, 0);
  }
  void SetUp() override {
    ASSERT_NE(Slate::graphContext.window.hwnd, nullptr);
    Slate::setDrawTarget(nullptr);
    Slate::graphContext.windowTarget.resetDefaults();
    Slate::graphContext.windowTarget.clearDevice();
  }
  void TearDown() override {
    Slate::endBufferedDrawing();
    Slate::setDrawTarget(nullptr);
    Slate::graphContext.windowTarget.resetDefaults();
  }
  Slate::GraphWnd& window = Slate::graphContext.window;
};

}  // namespace SlateTest
