// LINESTYLE and FILLSTYLE value semantics: deep copies that never share a dash array or a
// pattern picture.
#include <gtest/gtest.h>

#include <slate/graphics.h>

using namespace Slate;

namespace {

TEST(LineStyleValue, CopiesOwnTheirPattern) {
  DWORD dashes[] = {4, 2, 1, 2};
  LINESTYLE user;
  user.style = PS_USERSTYLE;
  user.thickness = 2;
  user.pattern = new DWORD[4];
  std::copy(dashes, dashes + 4, user.pattern);
  user.count = 4;

  LINESTYLE copy;
  copy = user;
  ASSERT_NE(copy.pattern, nullptr);
  EXPECT_NE(copy.pattern, user.pattern);
  EXPECT_EQ(copy.count, 4u);
  EXPECT_EQ(copy.thickness, 2);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(copy.pattern[i], dashes[i]);
  user.pattern[0] = 99;
  EXPECT_EQ(copy.pattern[0], 4u);

  LINESTYLE constructed(user);
  EXPECT_NE(constructed.pattern, user.pattern);
  EXPECT_EQ(constructed.pattern[0], 99u);

  DWORD* before = copy.pattern;
  const LINESTYLE& same = copy;  // through a reference, as a caller reaches it
  copy = same;
  EXPECT_EQ(copy.pattern, before);
  EXPECT_EQ(copy.count, 4u);
}

TEST(LineStyleValue, PatternKeptOnlyWithTheUserLineKind) {
  LINESTYLE dashed;
  dashed.style = PS_DASH | PS_ENDCAP_FLAT;
  dashed.pattern = new DWORD[2]{3, 3};
  dashed.count = 2;
  LINESTYLE copy;
  copy = dashed;
  EXPECT_EQ(copy.style, PS_DASH | PS_ENDCAP_FLAT);
  EXPECT_EQ(copy.pattern, nullptr);
  EXPECT_EQ(copy.count, 0u);

  LINESTYLE userWithoutPattern;
  userWithoutPattern.style = PS_USERSTYLE;
  userWithoutPattern.count = 5;  // a count with no array
  copy = userWithoutPattern;
  EXPECT_EQ(copy.pattern, nullptr);
  EXPECT_EQ(copy.count, 0u);
}

TEST(FillStyleValue, PatternImageCopiedReusedOrDeleted) {
  FILLSTYLE pattern;
  pattern.style = BS_PATTERN;
  pattern.pattern = new IMAGE(3, 2);
  pattern.pattern->pixels[5] = 0x00ABCDEF;

  FILLSTYLE copy;
  copy = pattern;
  ASSERT_NE(copy.pattern, nullptr);
  EXPECT_NE(copy.pattern, pattern.pattern);
  EXPECT_EQ(copy.pattern->width, 3);
  EXPECT_EQ(copy.pattern->pixels[5], 0x00ABCDEFu);

  // A held image is reused and takes the new size.
  FILLSTYLE wider;
  wider.style = BS_DIBPATTERN;
  wider.pattern = new IMAGE(6, 6);
  IMAGE* held = copy.pattern;
  copy = wider;
  EXPECT_EQ(copy.pattern, held);
  EXPECT_EQ(copy.pattern->width, 6);
  EXPECT_EQ(copy.style, BS_DIBPATTERN);

  // A style without a pattern picture deletes the one held.
  FILLSTYLE hatched;
  hatched.style = BS_HATCHED;
  hatched.hatch = HS_DIAGCROSS;
  copy = hatched;
  EXPECT_EQ(copy.pattern, nullptr);
  EXPECT_EQ(copy.hatch, HS_DIAGCROSS);

  FILLSTYLE constructed(pattern);
  EXPECT_NE(constructed.pattern, pattern.pattern);
  IMAGE* own = constructed.pattern;
  const FILLSTYLE& same = constructed;
  constructed = same;
  EXPECT_EQ(constructed.pattern, own);
}

TEST(FillStyleValue, PatternStyleWithoutImageCopiesNoImage) {
  FILLSTYLE noImage;
  noImage.style = BS_PATTERN;
  FILLSTYLE copy;
  copy.style = BS_PATTERN;
  copy.pattern = new IMAGE(2, 2);
  copy = noImage;
  EXPECT_EQ(copy.pattern, nullptr);
  EXPECT_EQ(copy.style, BS_PATTERN);
}

}  // namespace
