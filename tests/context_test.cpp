// The graphics context: its construction before every other static object, target
// switching, and the front functions that work without a window.
#include <gtest/gtest.h>

#include "context.h"

using namespace Slate;

namespace {

// A static object of this file, built after the context if the context comes first.
struct SeesTheContext {
  bool contextBuilt = graphContext.identityTransform.eM11 == 1.0f;
  IMAGE image{2, 2};
} early;

TEST(GraphContext, IsBuiltBeforeOtherStaticObjects) {
  EXPECT_TRUE(early.contextBuilt);
  EXPECT_NE(early.image.pixels, nullptr);
  EXPECT_EQ(graphContext.identityTransform.eM22, 1.0f);
  EXPECT_EQ(graphContext.identityTransform.eDx, 0.0f);
}

TEST(GraphContext, NoWindowBeforeOpening) {
  EXPECT_EQ(graphContext.windowDc, nullptr);
  EXPECT_FALSE(graphContext.buffered);
  EXPECT_EQ(getImageBuffer(nullptr), graphContext.window.pixels);
  EXPECT_EQ(getImageBuffer(nullptr), nullptr);
}

TEST(GraphContext, SetDrawTargetSwitchesWithoutTouchingState) {
  IMAGE a(4, 4), b(4, 4);
  setDrawTarget(&a);
  EXPECT_EQ(graphContext.currentImage, &a);
  EXPECT_EQ(graphContext.currentTarget, &graphContext.imageTarget);
  EXPECT_EQ(graphContext.targetDc, a.dc);
  EXPECT_EQ(graphContext.windowDc, nullptr);
  a.textColor = RGB(1, 2, 3);
  SetTextColor(a.dc, RGB(1, 2, 3));
  SetBkMode(a.dc, TRANSPARENT);
  a.currentX = 7;

  setDrawTarget(&b);
  EXPECT_EQ(graphContext.targetDc, b.dc);
  setDrawTarget(&a);
  EXPECT_EQ(a.textColor, RGB(1, 2, 3));
  EXPECT_EQ(GetTextColor(a.dc), RGB(1, 2, 3));
  EXPECT_EQ(GetBkMode(a.dc), TRANSPARENT);
  EXPECT_EQ(a.currentX, 7);

  setDrawTarget(nullptr);
  EXPECT_EQ(graphContext.currentImage, &graphContext.window);
  EXPECT_EQ(graphContext.currentTarget, &graphContext.windowTarget);
  EXPECT_EQ(graphContext.targetDc, graphContext.window.dc);
  EXPECT_EQ(graphContext.windowDc, graphContext.window.clientDc);
}

TEST(GraphContext, BufferedDrawingFrontFunctionsIgnoreAnImageTarget) {
  IMAGE image(2, 2);
  setDrawTarget(&image);
  beginBufferedDrawing();
  EXPECT_FALSE(graphContext.buffered);
  flushBufferedDrawing();
  endBufferedDrawing();
  EXPECT_FALSE(graphContext.buffered);
  setDrawTarget(nullptr);
}

TEST(GraphContext, ResizeImageOfNullResizesTheBackBuffer) {
  resizeImage(nullptr, 30, 20);
  EXPECT_EQ(graphContext.window.width, 30);
  EXPECT_EQ(graphContext.window.height, 20);
  EXPECT_NE(getImageBuffer(nullptr), nullptr);
}

}  // namespace
