// The decorated form's see-through parts and partial repaint: the shadow's rings and
// translucency composed over a known background (as images, and on the screen over a window
// of a known colour), the states with a shadow, and a part of the client repainted alone
// while a device context in lParam is never read as a request.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "classlib/forms/Monitors.h"
#include "controls/skin/SkinTestSupport.h"
#include "controls/skin/Watchdog.h"
#include "controls/skin/controls/SkinStatusBar.h"
#include "controls/skin/engine/SkinBitmap.h"
#include "controls/skin/form/SkinForm.h"
#include "controls/skin/form/SkinFormShadow.h"

using namespace skin_tests;

namespace {

constexpr TPixel32 Ground{10, 200, 40, 255};  // B, G, R, A

TPixel32 Shade(uint8_t alpha, TPixel32 under = Ground) {
  TPixel32 p = SeShadowPixel;
  p.A = alpha;
  TPixel32 out = BlendPixel(p, under);
  out.A = 255;
  return out;
}

bool Same(TPixel32 a, TPixel32 b) { return PixelRGB(a) == PixelRGB(b); }

TEST(SkinFormShadowTest, RingsFadeOutwardsOverTheBackgroundAndTheCornersStayClear) {
  // A 40 x 30 form with a 4-pixel shadow: the window is 44 x 34.
  TSeShadowLayout l;
  l.Width = 40, l.Height = 30, l.Size = 4, l.Client = TRect(4, 23, 36, 26);
  TSeBitmap image, ground;
  image.SetSize(44, 34);
  ground.SetSize(44, 34);
  ground.Clear(Ground);
  image.Clear(PackPixel(1, 2, 3, 255));
  PaintFormShadow(image, l, ground, TPoint(0, 0));
  // Right of the form: rings 128, 108, 58, 8 from the form outwards; the top-right pixels
  // of the rings fade too; above the shadow the screen shows.
  const uint8_t rings[] = {128, 108, 58, 8};
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(Same(image.GetPixel(40 + i, 15), Shade(rings[i]))) << i;
    EXPECT_TRUE(Same(image.GetPixel(20, 30 + i), Shade(rings[i]))) << i;
  }
  EXPECT_TRUE(Same(image.GetPixel(43, 4), Shade(8)));
  EXPECT_TRUE(Same(image.GetPixel(42, 5), Shade(8)));
  EXPECT_TRUE(Same(image.GetPixel(41, 6), Shade(58)));
  for (int x = 40; x < 44; ++x)
    for (int y = 0; y < 4; ++y) EXPECT_TRUE(Same(image.GetPixel(x, y), Ground)) << x << "," << y;
  for (int x = 0; x < 4; ++x) EXPECT_TRUE(Same(image.GetPixel(x, 32), Ground)) << x;
  // The bottom-right corner fades towards both outer edges.
  EXPECT_TRUE(Same(image.GetPixel(43, 33), Shade(8)));
  EXPECT_TRUE(Same(image.GetPixel(41, 31), Shade(58)));
  EXPECT_TRUE(Same(image.GetPixel(40, 30), Shade(128)));
  // The form's own pixels left of and above the frame are untouched.
  EXPECT_TRUE(Same(image.GetPixel(20, 10), PackPixel(1, 2, 3, 255)));
  // No shadow, an empty image, a background smaller than the image and moved: nothing is
  // written outside either bitmap.
  l.Size = 0;
  PaintFormShadow(image, l, ground, TPoint(0, 0));
  TSeBitmap empty, small;
  l.Size = 4;
  PaintFormShadow(empty, l, ground, TPoint(0, 0));
  small.SetSize(3, 3);
  small.Clear(PackPixel(255, 255, 255, 255));
  image.Clear(PackPixel(0, 0, 0, 255));
  ComposeOverBackground(image, TRect(-10, -10, 100, 100), small, TPoint(42, 32));
  EXPECT_TRUE(Same(image.GetPixel(41, 31), PackPixel(0, 0, 0, 255)));
  EXPECT_EQ(image.GetPixel(42, 32).A, 255);
}

TEST(SkinFormShadowTest, TranslucencyMixesByTheOpacityAndTheClearColourShowsTheScreen) {
  TSeBitmap image, ground;
  image.SetSize(8, 4);
  ground.SetSize(8, 4);
  ground.Clear(Ground);
  const TPixel32 face = PackPixel(240, 240, 240, 255);
  for (int opacity : {-5, 0, 150, 255, 999}) {
    image.Clear(face);
    image.SetPixel(7, 3, SeClearPixel);
    BlendOverBackground(image, TRect(0, 0, 8, 4), opacity, ground, TPoint(0, 0));
    TPixel32 source = face;
    source.A = static_cast<uint8_t>(std::clamp(opacity, 0, 255));
    EXPECT_TRUE(Same(image.GetPixel(3, 2), BlendPixel(source, Ground))) << opacity;
    EXPECT_TRUE(Same(image.GetPixel(7, 3), Ground)) << opacity;
  }
}

class SkinFormShadowWindowTest : public SkinFormTest {
 public:
  void TearDown() override {
    delete Skin;
    delete Backdrop;
    SkinFormTest::TearDown();
  }
  // A window of the ground colour behind the form.
  void ShowBackdrop() {
    Backdrop = TCustomForm::Create<TButtonsForm>(nullptr);
    Backdrop->SetBorderStyle(bsNone);
    Backdrop->SetColor(PixelToColor(Ground));
    Backdrop->SetBounds(50, 50, 600, 500);
    Backdrop->Show();
    Pump();
  }
  void Decorate() {
    Skin = new TSeCustomForm(Form);
    Skin->SetMinimizeApplication(false);
  }
  HWND Wnd() const { return Form->GetHandle(); }
  TPixel32 ScreenPixel(int x, int y) {
    Pump();
    HDC screen = ::GetDC(nullptr);
    const COLORREF c = ::GetPixel(screen, x, y);
    ::ReleaseDC(nullptr, screen);
    return PackPixel(GetRValue(c), GetGValue(c), GetBValue(c), 255);
  }
  TPixel32 WindowPixel(int x, int y) {
    RECT r{};
    ::GetWindowRect(Wnd(), &r);
    return ScreenPixel(r.left + x, r.top + y);
  }
  TButtonsForm* Backdrop = nullptr;
  TSeCustomForm* Skin = nullptr;
};

TEST_F(SkinFormShadowWindowTest, ShadowAndTranslucencyShowTheWindowBeneath) {
  Watchdog watchdog(60);
  WithoutThemes([&] {
    ShowBackdrop();
    Decorate();
    Skin->GetShadow()->SetEnabled(true);
    Skin->GetShadow()->SetSize(5);
    Form->SetColor(clWhite);
    Form->Show();
    Pump();
    // The form keeps its client size; the window is the shadow larger.
    EXPECT_EQ(Skin->FormWidth(), 400);
    EXPECT_EQ(Form->GetWidth(), 405);
    EXPECT_EQ(Form->GetHeight(), 305);
    const TRect c = Skin->GetFrameClientRect();
    RECT client{};
    ::GetClientRect(Wnd(), &client);
    EXPECT_EQ(client.right, c.Width());
    // Right of and below the form: the ground darkened by the rings; above the shadow's
    // start the ground itself (outside the window's region).
    EXPECT_TRUE(Same(WindowPixel(400, 150), Shade(128)));
    EXPECT_TRUE(Same(WindowPixel(404, 150), Shade(8)));
    EXPECT_TRUE(Same(WindowPixel(200, 402 - 100), Shade(108)));
    EXPECT_TRUE(Same(WindowPixel(402, 2), Ground));
    EXPECT_TRUE(Same(WindowPixel(c.Left + 20, c.Top + 20), PackPixel(255, 255, 255, 255)));
    EXPECT_TRUE(SaveWindowScreenshot(Wnd(), L"skin_form_shadow"));
    // Hidden while the screen beneath changes and shown again: the new screen shows.
    Form->Hide();
    const TPixel32 other{200, 30, 90, 255};
    Backdrop->SetColor(PixelToColor(other));
    ::RedrawWindow(Backdrop->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    Pump();  // the system puts what was drawn on the screen between messages
    Form->Show();
    Pump();
    EXPECT_TRUE(Same(WindowPixel(400, 150), Shade(128, other)));
    // Translucent: the client and frame mixed with the ground by the opacity.
    Skin->GetBlending()->SetValue(128);
    Skin->GetBlending()->SetEnabled(true);
    ::RedrawWindow(Wnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    TPixel32 white = PackPixel(255, 255, 255, 128);
    EXPECT_TRUE(Same(WindowPixel(c.Left + 20, c.Top + 20), BlendPixel(white, other)));
    TPixel32 face = ColorToPixel(clBtnFace);
    face.A = 128;
    EXPECT_TRUE(Same(WindowPixel(2 + 1, c.Top + 40), BlendPixel(face, other)));
    EXPECT_TRUE(SaveWindowScreenshot(Wnd(), L"skin_form_shadow_translucent"));
    // Every buffer mode puts the same window on the screen.
    MemorySurface first(405, 305), shot(405, 305);
    for (TSeFormPerformance mode : {vxfpNoBuffer, vxfpSharedBuffer, vxfpPersistentBuffer, vxfpDoubleBuffer}) {
      Skin->SetPerformance(mode);
      ::RedrawWindow(Wnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
      Pump();
      RECT r{};
      ::GetWindowRect(Wnd(), &r);
      HDC screen = ::GetDC(nullptr);
      ::BitBlt((mode == vxfpNoBuffer ? first : shot).DC(), 0, 0, 405, 305, screen, r.left, r.top, SRCCOPY);
      ::ReleaseDC(nullptr, screen);
      if (mode != vxfpNoBuffer) EXPECT_EQ(DifferentPixels(first, shot, TRect(0, 0, 405, 305)), 0) << mode;
    }
    Form->SetBounds(60, 60, 300, 200);
    Pump();
    EXPECT_TRUE(SaveWindowScreenshot(Wnd(), L"skin_form_shadow_translucent_small"));
    // The shadow off: the window shrinks back to the form.
    Skin->GetBlending()->SetEnabled(false);
    Skin->GetShadow()->SetEnabled(false);
    Pump();
    EXPECT_EQ(Form->GetWidth(), 295);
    EXPECT_EQ(Form->GetHeight(), 195);
  });
}

TEST_F(SkinFormShadowWindowTest, MaximizedMinimizedRestoredWithAShadowComesBackMaximized) {
  Watchdog watchdog(60);
  Decorate();
  Skin->GetShadow()->SetEnabled(true);
  Form->Show();
  Pump();
  const TRect normal = Form->GetBoundsRect();
  EXPECT_EQ(normal.Width(), 404);
  Skin->Maximize();
  EXPECT_EQ(Skin->ShadowSize(), 0);
  EXPECT_EQ(Form->GetBoundsRect(), Skin->GetMaximizedRect());
  EXPECT_EQ(Skin->FormWidth(), Form->GetWidth());
  Skin->Minimize();
  EXPECT_EQ(Skin->GetWindowState(), vwsMinimized);
  Skin->Restore();
  EXPECT_EQ(Skin->GetWindowState(), vwsMaximized);
  EXPECT_EQ(Form->GetBoundsRect(), Skin->GetMaximizedRect());
  Skin->Restore();
  EXPECT_EQ(Skin->GetWindowState(), vwsNormal);
  EXPECT_EQ(Form->GetBoundsRect(), normal);
  EXPECT_EQ(Skin->FormWidth(), 400);
  // Rolled up and back, the shadow stays with the window.
  Skin->Rollup();
  EXPECT_EQ(Form->GetWidth(), 404);
  Skin->Restore();
  EXPECT_EQ(Form->GetBoundsRect(), normal);
  // Dragged near the work area's right edge, the form (not its shadow) snaps to it; sized
  // from the left, the form keeps its minimum width without the shadow.
  Skin->GetGravitation()->SetEnabled(true);
  Skin->GetGravitation()->SetSize(10);
  const TRect area = MonitorWorkAreaOf(Wnd());
  const int dx = area.Right - (normal.Right - 4) - 6;
  Skin->FrameMouseDown(mbLeft, TShiftState{ssLeft}, 200, 8);
  Skin->FrameMouseMove(TShiftState{ssLeft}, 200 + dx, 8);
  Skin->FrameMouseUp(mbLeft, TShiftState{}, 200 + dx, 8);
  EXPECT_EQ(Form->GetBoundsRect().Right - 4, area.Right);
  Skin->FrameMouseDown(mbLeft, TShiftState{ssLeft}, 1, 150);
  Skin->FrameMouseMove(TShiftState{ssLeft}, 390, 150);
  Skin->FrameMouseUp(mbLeft, TShiftState{}, 390, 150);
  EXPECT_EQ(Skin->FormWidth(), 150);
}

TEST_F(SkinFormShadowWindowTest, APartOfTheClientIsRepaintedAloneAndLParamIsNoRequest) {
  Watchdog watchdog(60);
  WithoutThemes([&] {
    Decorate();
    TColor fill = clRed;
    Skin->OnPaint = [&](TObject*) {
      TCanvas* canvas = Skin->GetCanvas();
      ASSERT_NE(canvas, nullptr);
      canvas->GetBrush()->SetColor(fill);
      canvas->FillRect(TRect(0, 0, 2000, 2000));
    };
    for (TSeFormPerformance mode : {vxfpNoBuffer, vxfpSharedBuffer, vxfpPersistentBuffer, vxfpDoubleBuffer}) {
      Skin->SetPerformance(mode);
      fill = clRed;
      Form->Show();
      ::RedrawWindow(Wnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
      Pump();
      fill = clBlue;
      Skin->PaintWindowRect(TRect(10, 10, 30, 20));
      POINT o{0, 0};
      ::ClientToScreen(Wnd(), &o);
      EXPECT_TRUE(Same(ScreenPixel(o.x + 10, o.y + 10), PackPixel(0, 0, 255, 255))) << mode;
      EXPECT_TRUE(Same(ScreenPixel(o.x + 29, o.y + 19), PackPixel(0, 0, 255, 255))) << mode;
      EXPECT_TRUE(Same(ScreenPixel(o.x + 30, o.y + 10), PackPixel(255, 0, 0, 255))) << mode;
      EXPECT_TRUE(Same(ScreenPixel(o.x + 9, o.y + 15), PackPixel(255, 0, 0, 255))) << mode;
      // Outside the client, or empty: nothing.
      fill = clLime;
      Skin->PaintWindowRect(TRect(-50, -50, -1, -1));
      Skin->PaintWindowRect(TRect(5, 5, 5, 5));
      EXPECT_TRUE(Same(ScreenPixel(o.x + 5, o.y + 5), PackPixel(255, 0, 0, 255))) << mode;
    }
    // An erase with a device context in lParam (as the class library's double buffering
    // sends it) paints the whole client: the first byte of that DC is no request.
    MemorySurface surface(400, 300, clWhite);
    fill = clBlue;
    const LRESULT result = ::SendMessageW(Wnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.DC()),
                                          reinterpret_cast<LPARAM>(surface.DC()));
    EXPECT_EQ(result, 1);
    const TRect c = Skin->GetFrameClientRect();
    EXPECT_EQ(surface.CountOf(clBlue, TRect(0, 0, c.Width(), c.Height())), c.Width() * c.Height());
    // With frame painting off nothing is painted.
    Skin->DisableFramePaint();
    fill = clLime;
    Skin->PaintWindowRect(TRect(0, 0, 50, 50));
    Skin->EnableFramePaint();
    POINT o{0, 0};
    ::ClientToScreen(Wnd(), &o);
    EXPECT_FALSE(Same(ScreenPixel(o.x + 1, o.y + 1), PackPixel(0, 255, 0, 255)));
  });
}

TEST_F(SkinFormShadowWindowTest, KeptThemePartsDrawTheFrameAsTheThemeLibraryDoes) {
  Decorate();
  Form->SetCaption(L"模拟考试");
  Form->Show();
  Pump();
  if (!UseThemes()) GTEST_SKIP() << "no visual styles here";
  // The first paint asks the library for every part; later ones copy the kept pictures.
  std::vector<std::unique_ptr<MemorySurface>> paints;
  for (bool active : {true, false}) {
    ::SendMessageW(Wnd(), WM_NCACTIVATE, active, 0);
    for (int i = 0; i < 3; ++i) {
      paints.push_back(std::make_unique<MemorySurface>(400, 300, clFuchsia));
      ::SendMessageW(Wnd(), SE_FORM_PAINTTO, 0, reinterpret_cast<LPARAM>(paints.back()->DC()));
    }
    const size_t first = paints.size() - 3;
    EXPECT_EQ(DifferentPixels(*paints[first], *paints[first + 2], TRect(0, 0, 400, 300)), 0) << active;
    EXPECT_EQ(DifferentPixels(*paints[first], *paints[first + 1], TRect(0, 0, 400, 300)), 0) << active;
  }
  EXPECT_GT(DifferentPixels(*paints[0], *paints[3], TRect(0, 0, 400, 30)), 0);
}

TEST_F(SkinFormShadowWindowTest, ATurnedOffThemeTakesTheShapedRegionAway) {
  Decorate();
  Form->Show();
  Pump();
  if (!UseThemes()) GTEST_SKIP() << "no visual styles here";
  HRGN probe = ::CreateRectRgn(0, 0, 0, 0);
  EXPECT_NE(::GetWindowRgn(Wnd(), probe), ERROR);
  WithoutThemes([&] {
    ::SendMessageW(Wnd(), WM_THEMECHANGED, 0, 0);
    EXPECT_EQ(::GetWindowRgn(Wnd(), probe), ERROR);
  });
  ::SendMessageW(Wnd(), WM_THEMECHANGED, 0, 0);
  EXPECT_NE(::GetWindowRgn(Wnd(), probe), ERROR);
  ::DeleteObject(probe);
}

TEST_F(SkinFormShadowWindowTest, AStatusBarsGripSizesTheFormAndTheShadowIsNoTarget) {
  Watchdog watchdog(60);
  auto* bar = new TSeCustomStatusBar(Form);
  bar->SetParent(Form);
  bar->SetAlign(alBottom);
  Decorate();
  Skin->GetShadow()->SetEnabled(true);
  Form->Show();
  Pump();
  ASSERT_TRUE(bar->SizeGripShows());
  const TRect grip = bar->GetSizeGripRect();
  const TPoint inGrip = bar->ClientToScreen(TPoint(grip.Left + 3, grip.Top + 3));
  RECT window{};
  ::GetWindowRect(Wnd(), &window);
  EXPECT_EQ(Skin->HitTest(inGrip.X - window.left, inGrip.Y - window.top), fzBottomRight);
  // The shadow right of the form answers nothing.
  EXPECT_EQ(::SendMessageW(Wnd(), WM_NCHITTEST, 0, MAKELPARAM(window.left + 401, window.top + 100)),
            HTNOWHERE);
  // A press on the grip sizes the form by the frame's own mouse tracking.
  const TRect before = Form->GetBoundsRect();
  const TPoint local = bar->ScreenToClient(inGrip);
  ::SendMessageW(bar->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(local.X, local.Y));
  EXPECT_TRUE(Skin->IsFrameDragging());
  POINT to{inGrip.X + 30, inGrip.Y + 20};
  ::ScreenToClient(Wnd(), &to);
  ::SendMessageW(Wnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
  ::SendMessageW(Wnd(), WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
  Pump();
  EXPECT_EQ(Form->GetWidth(), before.Width() + 30);
  EXPECT_EQ(Form->GetHeight(), before.Height() + 20);
  EXPECT_FALSE(Skin->IsFrameDragging());
  // Maximized, the grip sizes nothing.
  Skin->Maximize();
  Pump();
  EXPECT_FALSE(bar->SizeGripShows());
  ::GetWindowRect(Wnd(), &window);
  const TRect now = bar->GetSizeGripRect();
  const TPoint corner = bar->ClientToScreen(TPoint(now.Left + 3, now.Top + 3));
  EXPECT_NE(Skin->HitTest(corner.X - window.left, corner.Y - window.top), fzBottomRight);
}

}  // namespace
