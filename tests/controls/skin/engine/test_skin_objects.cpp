// Skin objects: the layout rule (edges, text width, centring, client, corners kept from one
// layout to the next, and again after a bitmap object's paint), cloning through the class
// registry, lookup, painting on a memory surface (fill, owner rule, separator, the state's
// font), hue shifting.
#include <gtest/gtest.h>

#include "classlib/classes/Layouts.h"
#include "controls/skin/SkinRegistration.h"
#include "controls/skin/engine/SkinDrawing.h"
#include "controls/skin/engine/SkinObjects.h"
#include "tests/classlib/graphics/MemorySurface.h"

namespace {

// An object whose font follows the state, as the text and button kinds do.
class TStateFontObject : public TSeSkinObject {
  CLASSLIB_CLASS(TStateFontObject, TSeSkinObject)
  explicit TStateFontObject(TComponent* owner) : TSeSkinObject(owner), Hot(std::make_unique<TFont>()) {
    Hot->SetColor(clRed);
  }
  TFont* GetFont() const override { return GetState() == 5 ? Hot.get() : TSeSkinObject::GetFont(); }
  std::unique_ptr<TFont> Hot;
};

class TUnlistedObject : public TSeSkinObject {
  CLASSLIB_CLASS(TUnlistedObject, TSeSkinObject)
  explicit TUnlistedObject(TComponent* owner) : TSeSkinObject(owner) {}
};

TSeSkinObject* Make(TComponent* owner, const wchar_t* name, TSeAlign align, int w, int h) {
  auto* object = new TSeSkinObject(owner);
  object->SetName(name);
  object->SetAlign(align);
  object->SetBoundsRect(TRect(0, 0, w, h));
  return object;
}

class SkinObjectsTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterSkinClasses(); }
};

TEST_F(SkinObjectsTest, ChildrenTakeTheirEdgesTextWidthCentreAndTheRest) {
  TSeSkinObject parent(nullptr);
  TSeSkinObject* top = Make(&parent, L"Top", saMostTop, 0, 10);
  TSeSkinObject* left = Make(&parent, L"Left", saLeft, 20, 0);
  TSeSkinObject* client = Make(&parent, L"Client", saClient, 0, 0);
  TSeSkinObject* label = Make(&parent, L"Label", saText, 0, 12);
  label->SetText(L"OK");
  label->SetTextMarginLeft(2);
  label->SetTextMarginRight(3);
  TSeSkinObject* middle = Make(&parent, L"Middle", saCenter, 11, 7);
  TSeSkinObject* hidden = Make(&parent, L"Hidden", saMostLeft, 30, 0);
  hidden->SetVisible(false);
  parent.SetBoundsRect(TRect(5, 5, 105, 55));
  EXPECT_EQ(top->GetBoundsRect(), TRect(5, 5, 105, 15));
  EXPECT_EQ(left->GetBoundsRect(), TRect(5, 15, 25, 55));
  EXPECT_EQ(client->GetBoundsRect(), TRect(25, 15, 105, 55));
  EXPECT_EQ(middle->GetBoundsRect(), TRect(25 + (80 - 11) / 2, 15 + (40 - 7) / 2,
                                          25 + (80 - 11) / 2 + 11, 15 + (40 - 7) / 2 + 7));
  EXPECT_GT(label->GetWidth(), 5);
  const int labelWidth = label->GetWidth();
  label->SetText(L"OK OK OK");
  parent.SetBoundsRect(TRect(5, 5, 106, 55));
  EXPECT_GT(label->GetWidth(), labelWidth);
  // Negative sizes become 0.
  parent.SetBoundsRect(TRect(5, 5, 0, 0));
  EXPECT_EQ(parent.GetWidth(), 0);
  EXPECT_EQ(parent.GetHeight(), 0);
}

TEST_F(SkinObjectsTest, CornerChildrenKeepTheirDistancesAcrossLayouts) {
  TSeSkinObject design(nullptr);
  design.SetName(L"Frame");
  design.SetBoundsRect(TRect(0, 0, 100, 50));
  TSeSkinObject* topRight = Make(&design, L"TR", saTopRight, 10, 10);
  topRight->SetBoundsRect(TRect(85, 5, 95, 15));
  TSeSkinObject* bottomLeft = Make(&design, L"BL", saBottomLeft, 10, 10);
  bottomLeft->SetBoundsRect(TRect(5, 35, 15, 45));
  TSeSkinObject* bottomRight = Make(&design, L"BR", saBottomRight, 10, 10);
  bottomRight->SetBoundsRect(TRect(85, 35, 95, 45));
  std::unique_ptr<TSeSkinObject> copy(CloneSkinObject(&design, nullptr));
  ASSERT_TRUE(copy);
  // The same size again and again gives the same places; a new size keeps the distances.
  for (int round = 0; round < 3; ++round) {
    copy->SetBoundsRect(TRect(0, 0, 200, 80));
    copy->SetBoundsRect(TRect(0, 0, 201, 80));
    copy->SetBoundsRect(TRect(0, 0, 200, 80));
    EXPECT_EQ(copy->FindObject(L"tr")->GetBoundsRect(), TRect(185, 5, 195, 15));
    EXPECT_EQ(copy->FindObject(L"bl")->GetBoundsRect(), TRect(5, 65, 15, 75));
    EXPECT_EQ(copy->FindObject(L"BR")->GetBoundsRect(), TRect(185, 65, 195, 75));
  }
}

// Only the very first layout keeps saBottomLeft children where they were put; a later height
// of 0 is a size like any other, and the way back from it restores the distance to the bottom.
// saTopRight children keep their place after a width of 0.
TEST_F(SkinObjectsTest, CornerChildrenThroughAHeightOfZeroAndBack) {
  TSeSkinObject design(nullptr);
  TSeSkinObject* bottomLeft = Make(&design, L"BL", saBottomLeft, 10, 10);
  bottomLeft->SetBoundsRect(TRect(5, 35, 15, 45));
  TSeSkinObject* topRight = Make(&design, L"TR", saTopRight, 10, 10);
  topRight->SetBoundsRect(TRect(85, 5, 95, 15));
  design.SetBoundsRect(TRect(0, 0, 100, 50));  // the first layout, from no size
  EXPECT_EQ(bottomLeft->GetTop(), 35);
  EXPECT_EQ(topRight->GetLeft(), 85);
  std::unique_ptr<TSeSkinObject> copy(CloneSkinObject(&design, nullptr));
  ASSERT_TRUE(copy);
  copy->SetBoundsRect(TRect(0, 0, 0, 0));
  EXPECT_EQ(copy->FindObject(L"BL")->GetTop(), -15);
  EXPECT_EQ(copy->FindObject(L"TR")->GetLeft(), -15);
  copy->SetBoundsRect(TRect(0, 0, 200, 80));
  EXPECT_EQ(copy->FindObject(L"BL")->GetTop(), 65);
  EXPECT_EQ(copy->FindObject(L"TR")->GetLeft(), -15);
}

TEST_F(SkinObjectsTest, CloneCopiesTheTreeAndUnknownClassesGiveNothing) {
  RegisterSkinObjectClass(TStateFontObject::StaticClassInfo());
  TSeSkinObject root(nullptr);
  root.SetName(L"CheckBox");
  root.SetColor(clBlue);
  root.SetTextAlign(TSeTextAlign::taCenter);
  root.SetMarginLeft(4);
  auto* text = new TStateFontObject(&root);
  text->SetName(L"Text");
  Make(text, L"Inner", saClient, 0, 0);
  root.SetBoundsRect(TRect(1, 2, 31, 22));
  std::unique_ptr<TSeSkinObject> copy(CloneSkinObject(&root, nullptr));
  ASSERT_TRUE(copy);
  EXPECT_EQ(ComponentToText(copy.get()), ComponentToText(&root));
  EXPECT_EQ(copy->GetBoundsRect(), TRect(1, 2, 31, 22));
  ASSERT_EQ(copy->ChildCount(), 1);
  EXPECT_NE(dynamic_cast<TStateFontObject*>(copy->Child(0)), nullptr);
  EXPECT_NE(copy->FindObject(L"INNER"), nullptr);
  EXPECT_EQ(copy->FindObject(L"nothing"), nullptr);
  // A class outside the registry.
  TUnlistedObject unlisted(nullptr);
  EXPECT_EQ(CloneSkinObject(&unlisted, nullptr), nullptr);
  EXPECT_EQ(FindSkinObjectClass(L"TUnlistedObject"), nullptr);
  EXPECT_EQ(CloneSkinObject(nullptr, nullptr), nullptr);
  // The state reaches every descendant.
  copy->SetState(5);
  EXPECT_EQ(copy->FindObject(L"Inner")->GetState(), 5);
}

TEST_F(SkinObjectsTest, PaintingFillsOwnersOnlyWhenAskedAndDrawsWithTheStatesFont) {
  RegisterSkinObjectClass(TStateFontObject::StaticClassInfo());
  MemorySurface surface(120, 60, clWhite);
  TSeSkinObject owner(nullptr);
  owner.SetColor(clBlue);
  TSeSkinObject* child = Make(&owner, L"Child", saNone, 0, 0);
  child->SetColor(clLime);
  owner.SetBoundsRect(TRect(0, 0, 120, 60));
  child->SetBoundsRect(TRect(10, 10, 20, 20));
  owner.Paint(&surface.Canvas);
  EXPECT_EQ(surface.At(50, 50), clWhite);  // an owner without DrawIfOwner
  EXPECT_EQ(surface.At(15, 15), clLime);
  owner.SetDrawIfOwner(true);
  owner.Paint(&surface.Canvas);
  EXPECT_EQ(surface.At(50, 50), clBlue);
  EXPECT_EQ(surface.At(15, 15), clLime);

  // A separator: one line at the middle, inset by 3.
  surface.Fill(clWhite);
  TSeSkinObject line(nullptr);
  line.SetColor(clNone);
  line.GetOwnFont()->SetColor(clRed);
  line.SetText(L"-");
  line.SetBoundsRect(TRect(0, 0, 40, 11));
  line.Paint(&surface.Canvas);
  EXPECT_EQ(surface.CountOf(clRed, TRect(0, 0, 40, 11)), 34);
  EXPECT_EQ(surface.At(10, 5), clRed);

  // Text drawn in the hot state takes the hot font's colour.
  surface.Fill(clWhite);
  TStateFontObject text(nullptr);
  text.SetColor(clNone);
  text.SetText(L"Hot text");
  text.SetBoundsRect(TRect(0, 0, 120, 30));
  text.SetState(5);
  text.Paint(&surface.Canvas);
  EXPECT_GT(surface.CountOf(clRed, TRect(0, 0, 120, 30)), 10);
  EXPECT_EQ(surface.CountOf(clBlack, TRect(0, 0, 120, 30)), 0);

  // "&" marks the accelerator: "&File" draws the same pixels as the system's own drawing of it
  // (an underlined F), never a literal "&"; so does the second text, on the other side.
  auto drawn = [&](const String& caption, UINT extra, bool second = false) {
    MemorySurface out(120, 30);
    out.Fill(clWhite);
    TSeSkinObject label(nullptr);
    label.SetColor(clNone);
    label.GetOwnFont()->SetColor(clBlack);
    second ? label.SetText2(caption) : label.SetText(caption);
    label.SetBoundsRect(TRect(0, 0, 120, 30));
    label.SetTextAlign(TSeTextAlign::taTopLeft);
    if (extra == UINT(-1)) {
      label.Paint(&out.Canvas);
    } else {
      out.Canvas.SetFont(label.GetFont());
      TRect r(0, 0, 120, 30);
      DrawTextUnicode(&out.Canvas, caption, r, (second ? 0x22 : 0x20) | extra);
    }
    return out.CountOf(clBlack, TRect(0, 0, 120, 30));
  };
  EXPECT_EQ(drawn(L"&File", UINT(-1)), drawn(L"&File", 0));
  EXPECT_NE(drawn(L"&File", UINT(-1)), drawn(L"&File", DT_NOPREFIX));
  EXPECT_EQ(drawn(L"&File", UINT(-1), true), drawn(L"&File", 0, true));
  EXPECT_NE(drawn(L"&File", UINT(-1), true), drawn(L"&File", DT_NOPREFIX, true));
}

TEST_F(SkinObjectsTest, BitmapObjectDrawsNineSlicesWithCornersOneToOne) {
  // A 9 x 9 picture: red corners, green edges, blue centre, each 3 x 3.
  TSeBitmapList bitmaps;
  auto picture = std::make_unique<TSeBitmap>();
  picture->SetName(L"Parts");
  picture->SetSize(9, 9);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 9; ++x) {
      const bool edgeX = x < 3 || x >= 6, edgeY = y < 3 || y >= 6;
      picture->SetPixel(x, y, edgeX && edgeY   ? PackPixel(255, 0, 0, 255)
                              : edgeX || edgeY ? PackPixel(0, 255, 0, 255)
                                               : PackPixel(0, 0, 255, 255));
    }
  picture->UpdateDeviceCopy();
  bitmaps.Add(std::move(picture));
  TSeBitmapObject frame(nullptr);
  frame.GetBitmap()->SetName(L"parts");
  frame.GetBitmap()->SetRect(TRect(0, 0, 9, 9));
  frame.SetMarginLeft(3);
  frame.SetMarginTop(3);
  frame.SetMarginRight(3);
  frame.SetMarginBottom(3);
  frame.SetTileStyle(tsStretch);
  frame.SetBitmaps(&bitmaps);
  frame.ResolveLinks();
  ASSERT_TRUE(frame.GetBitmap()->Valid());
  frame.SetBoundsRect(TRect(5, 5, 45, 30));
  MemorySurface surface(60, 40, clWhite);
  frame.Paint(&surface.Canvas);
  EXPECT_EQ(surface.CountOf(clRed, TRect(0, 0, 60, 40)), 4 * 9);  // corners one to one
  EXPECT_EQ(surface.At(5, 5), clRed);
  EXPECT_EQ(surface.At(44, 29), clRed);
  EXPECT_EQ(surface.At(20, 6), clLime);  // top edge
  EXPECT_EQ(surface.At(6, 15), clLime);  // left edge
  EXPECT_EQ(surface.At(25, 17), clBlue);  // stretched centre
  EXPECT_EQ(surface.CountOf(clBlue, TRect(0, 0, 60, 40)), 34 * 19);
  EXPECT_EQ(surface.At(4, 4), clWhite);
  // Cloned, it keeps its link and draws the same.
  std::unique_ptr<TSeSkinObject> copy(CloneSkinObject(&frame, nullptr));
  auto* same = dynamic_cast<TSeBitmapObject*>(copy.get());
  ASSERT_TRUE(same);
  same->ResolveLinks();
  MemorySurface again(60, 40, clWhite);
  same->Paint(&again.Canvas);
  EXPECT_TRUE(again.SameAs(surface));
  // A link to no bitmap draws nothing.
  frame.GetBitmap()->SetName(L"missing");
  frame.ResolveLinks();
  EXPECT_FALSE(frame.GetBitmap()->Valid());
}

// A paint with unchanged bounds lays the children out again: a text child takes the width of
// its new text, and a corner child stays where the last change of size put it.
TEST_F(SkinObjectsTest, ABitmapObjectLaysItsChildrenOutAgainWhenPainted) {
  TSeBitmapObject button(nullptr);
  TSeSkinObject* caption = Make(&button, L"Caption", saText, 0, 12);
  caption->SetText(L"OK");
  TSeSkinObject* corner = Make(&button, L"Corner", saTopRight, 0, 0);
  corner->SetBoundsRect(TRect(85, 5, 95, 15));
  button.SetBoundsRect(TRect(0, 0, 100, 20));
  button.SetBoundsRect(TRect(0, 0, 120, 20));
  const int before = caption->GetWidth();
  caption->SetText(L"OK OK OK");
  MemorySurface surface(130, 30, clWhite);
  for (int paint = 0; paint < 2; ++paint) {
    button.Paint(&surface.Canvas);
    EXPECT_GT(caption->GetWidth(), before + 10);
    EXPECT_EQ(corner->GetBoundsRect(), TRect(105, 5, 115, 15));
  }
}

TEST_F(SkinObjectsTest, TextObjectDrawsWithTheFontOfItsState) {
  TSeTextObject text(nullptr);
  text.SetColor(clNone);
  text.SetText(L"Pressed");
  text.GetOwnFont()->SetColor(clBlack);
  text.GetFontPressed()->SetColor(clRed);
  text.GetFontDisabled()->SetColor(clBlue);
  text.SetBoundsRect(TRect(0, 0, 120, 30));
  std::unique_ptr<TSeSkinObject> copy(CloneSkinObject(&text, nullptr));
  ASSERT_TRUE(copy);
  EXPECT_TRUE(copy->GetText().empty());  // the text is the control's, not the skin's
  copy->SetText(L"Pressed");
  copy->SetState(6);
  MemorySurface surface(120, 30, clWhite);
  copy->Paint(&surface.Canvas);
  EXPECT_GT(surface.CountOf(clRed, TRect(0, 0, 120, 30)), 10);
  EXPECT_EQ(surface.CountOf(clBlack, TRect(0, 0, 120, 30)), 0);
  copy->SetState(8);
  EXPECT_EQ(copy->GetFont()->GetColor(), clBlue);
  copy->SetState(0);
  EXPECT_EQ(copy->GetFont()->GetColor(), clBlack);
}

TEST_F(SkinObjectsTest, HueShiftMovesColoursButNotNone) {
  TSeSkinObject root(nullptr);
  root.SetColor(clRed);
  TSeSkinObject* child = Make(&root, L"C", saNone, 1, 1);
  child->SetColor(clNone);
  root.ShiftHue(120);
  EXPECT_NE(root.GetColor(), clRed);
  EXPECT_EQ(child->GetColor(), clNone);
  root.ShiftHue(-120);
  EXPECT_EQ(root.GetColor(), clRed);
}

}  // namespace
