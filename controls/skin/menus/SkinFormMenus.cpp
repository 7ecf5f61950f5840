// The form decoration's menus, defined here with the menus that they use (the menus' popup
// windows are decorated forms, so the decoration lies below them): the built-in system menu
// rebuilt from the item tree before every showing (its items follow the window state and
// BorderIcons, with the caption glyphs as their images), or a linked popup menu instead of it,
// the glyph list the items draw, and the link to the form's menu bar (its shortcuts, its menu
// mode, the published property and the buttons of a maximized MDI child).
#include <memory>
#include <utility>

#include "SkinMenuData.h"
#include "SkinMenus.h"
#include "classlib/classes/Properties.h"
#include "classlib/controls/ShortCuts.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/ImageList.h"
#include "controls/skin/form/SkinForm.h"

const wchar_t* const SSeRestore = L"&Restore";
const wchar_t* const SSeMinimize = L"Mi&nimize";
const wchar_t* const SSeMaximize = L"Ma&ximize";
const wchar_t* const SSeRollup = L"Ro&llup";
const wchar_t* const SSeMinToTray = L"Minimize to &Tray";
const wchar_t* const SSeClose = L"&Close";

namespace {

constexpr int GlyphSize = 16;
constexpr TColor GlyphKey = static_cast<TColor>(0x00FF00FF);  // fuchsia: transparent

void FillBlack(HDC dc, int left, int top, int right, int bottom) {
  const RECT r{left, top, right, bottom};
  ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
}

// A window outline with a thick title line, as the maximize and restore glyphs show it.
void DrawWindowShape(HDC dc, int left, int top, int right, int bottom) {
  FillBlack(dc, left, top, right, top + 2);
  FillBlack(dc, left, top, left + 1, bottom);
  FillBlack(dc, right - 1, top, right, bottom);
  FillBlack(dc, left, bottom - 1, right, bottom);
}

void DrawGlyph(HDC dc, TSeCaptionGlyph glyph) {
  switch (glyph) {
    case cgClose:
      for (int i = 0; i < 8; ++i) {
        FillBlack(dc, 4 + i, 4 + i, 6 + i, 5 + i);
        FillBlack(dc, 10 - i, 4 + i, 12 - i, 5 + i);
      }
      break;
    case cgMinimize: FillBlack(dc, 4, 11, 11, 13); break;
    case cgMaximize: DrawWindowShape(dc, 3, 3, 13, 12); break;
    case cgRestore:
      DrawWindowShape(dc, 6, 2, 14, 9);
      {
        const RECT inner{3, 6, 11, 14};
        ::FillRect(dc, &inner, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
      }
      DrawWindowShape(dc, 3, 6, 11, 14);
      break;
    case cgRollup:
      for (int row = 0; row < 4; ++row) FillBlack(dc, 7 - row, 6 + row, 9 + row, 7 + row);
      break;
    case cgTray:
      // An arrow down into an open box.
      FillBlack(dc, 3, 9, 4, 14);
      FillBlack(dc, 3, 13, 13, 14);
      FillBlack(dc, 12, 9, 13, 14);
      FillBlack(dc, 7, 2, 9, 7);
      for (int row = 0; row < 3; ++row) FillBlack(dc, 5 + row, 7 + row, 11 - row, 8 + row);
      break;
  }
}

}  // namespace

TCustomImageList* CaptionGlyphs() {
  static const std::unique_ptr<TImageList> list = [] {
    auto images = std::make_unique<TImageList>(nullptr);
    images->SetWidth(GlyphSize);
    images->SetHeight(GlyphSize);
    images->SetDrawingStyle(dsNormal);
    for (int glyph = cgClose; glyph <= cgTray; ++glyph) {
      TBitmap bitmap;
      bitmap.SetSize(GlyphSize, GlyphSize);
      HDC dc = bitmap.GetCanvas()->GetHandle();
      HBRUSH key = ::CreateSolidBrush(static_cast<COLORREF>(GlyphKey));
      const RECT all{0, 0, GlyphSize, GlyphSize};
      ::FillRect(dc, &all, key);
      ::DeleteObject(key);
      DrawGlyph(dc, static_cast<TSeCaptionGlyph>(glyph));
      images->AddMasked(&bitmap, GlyphKey);
    }
    return images;
  }();
  return list.get();
}

void TSeItemDeleter::operator()(TSeCustomItem* item) const { delete item; }

// ---- The menu bar --------------------------------------------------------------------------------

TPropInfo TSeCustomForm::MenuBarProperty() {
  return TPublish<TSeCustomForm>::Component(L"MenuBar", &TSeCustomForm::GetMenuBar,
                                            &TSeCustomForm::SetMenuBar);
}

void TSeCustomForm::SetMenuBar(TSeCustomMenuBar* value) {
  if (FMenuBar) FMenuBar->RemoveFreeNotification(this);
  FMenuBar = value;
  if (value) value->FreeNotification(this);
}

bool TSeCustomForm::MenuBarShortCut(const TMessage& keyMessage) const {
  return FMenuBar && FMenuBar->IsShortCut(keyMessage);
}

void TSeCustomForm::EnterMenuBar() {
  if (FMenuBar) FMenuBar->EnterMenuMode();
}

bool TSeCustomForm::IsMenuBar(const TComponent* component) const {
  return FMenuBar && component == FMenuBar;
}

void TSeCustomForm::MergeIntoMenuBar(TSeCustomForm* parentSkin) {
  if (TSeCustomMenuBar* bar = parentSkin ? parentSkin->GetMenuBar() : nullptr) bar->MergeMDIButtons(this);
}

void TSeCustomForm::UnmergeFromMenuBar(TSeCustomForm* parentSkin) {
  TSeCustomMenuBar* bar = parentSkin ? parentSkin->GetMenuBar() : nullptr;
  if (bar && bar->GetMDIChild() == this) bar->UnmergeMDIButtons();
}

// ---- The system menu ----------------------------------------------------------------------------

TSeCustomItem* TSeCustomForm::CreateMenuItem() { return new TSeCustomItem(nullptr); }

void TSeCustomForm::BuildSystemMenu() {
  // An open menu keeps its tree: the new one is built at the next showing.
  if (FSystemMenuShowing) return;
  // The old items go first; a click posted for one of them finds no item (serial numbers).
  FSystemMenu.reset();
  FSystemMenu.reset(CreateMenuItem());
  TSeCustomItem* root = FSystemMenu.get();
  root->SetImages(CaptionGlyphs());
  const auto add = [&](const wchar_t* caption, int glyph) {
    TSeCustomItem* item = CreateMenuItem();
    item->SetCaption(caption);
    item->SetImageIndex(glyph);
    item->SetImages(CaptionGlyphs());
    if (glyph >= 0) item->OnClick = [this](TObject* sender) { SystemMenuClick(sender); };
    root->Add(item);
    return item;
  };
  const TSeWindowState s = FState;
  const bool normal = s == vwsNormal, maximized = s == vwsMaximized, rolled = s == vwsRollup;
  if (maximized || s == vwsMinimized || rolled || s == vwsTray) add(SSeRestore, cgRestore);
  if (FBorderIcons.Contains(vbiMinimize) && (normal || maximized || rolled))
    add(SSeMinimize, cgMinimize);
  if (FBorderIcons.Contains(vbiMaximize) && (normal || rolled)) add(SSeMaximize, cgMaximize);
  if (FBorderIcons.Contains(vbiRollup) && (normal || maximized)) add(SSeRollup, cgRollup);
  if (FBorderIcons.Contains(vbiTray) && (normal || maximized || rolled)) add(SSeMinToTray, cgTray);
  if (FBorderIcons.Contains(vbiClose)) {
    if (root->GetCount() > 0) add(L"-", -1);
    add(SSeClose, cgClose)->SetShortCut(ShortCut(VK_F4, TShiftState{ssAlt}));
  }
  root->SetTreePopupOptions(FSystemMenuOptions.get());
}

void TSeCustomForm::SystemMenuClick(TObject* sender) {
  auto* item = dynamic_cast<TSeCustomItem*>(sender);
  if (!item) return;
  const String& caption = item->GetCaption();
  if (caption == SSeClose) CloseForm();
  else if (caption == SSeMaximize) Maximize();
  else if (caption == SSeMinimize) Minimize();
  else if (caption == SSeRollup) Rollup();
  else if (caption == SSeMinToTray) MinToTray();
  else if (caption == SSeRestore) Restore();
}

void TSeCustomForm::ShowSystemMenu() {
  const TPoint popupPoint = std::exchange(FPopupPoint, TPoint());  // used once
  TCustomForm* form = GetForm();
  if (!form || !form->HandleAllocated() || FSystemMenuShowing) return;
  FHotZone = fzNone;
  // In the tray at the cursor, after a right click on the caption where it was, else at the
  // client area's origin.
  POINT at{};
  if (FState == vwsTray) {
    ::GetCursorPos(&at);
  } else if (popupPoint.X != 0 || popupPoint.Y != 0) {
    at = {popupPoint.X, popupPoint.Y};
  } else {
    ::ClientToScreen(form->GetHandle(), &at);
  }
  TPopupMenu* link = FState == vwsTray ? FTrayMenuLink : FSystemMenuLink;
  if (link) {
    if (auto* menu = dynamic_cast<TSeCustomPopupMenu*>(link)) {
      const bool tray = FState == vwsTray;
      menu->SetPopupMenuOptions(tray ? FTrayMenuOptions.get() : FSystemMenuOptions.get());
      // A tray menu comes to the foreground when shown, so that a click elsewhere closes it
      // (its form is hidden then).
      if (tray) menu->GetSeItems()->SetForegroundOnPopup(true);
    }
    link->Popup(at.x, at.y);
    return;
  }
  BuildSystemMenu();
  TSeCustomItem* root = FSystemMenu.get();
  DeferredClickWindow();  // clicks run once the menu windows are gone
  root->SetForegroundOnPopup(FState == vwsTray);
  root->SetTreeOwnerControl(form);
  root->SetHostComponent(form);  // the frame is held while the menu comes up
  root->SetTreeAnimateNext(true);
  root->SetTreeMenuMode(true);
  // The loop dispatches messages: a posted close or release can free the form, and this
  // component with it. Nothing of the component is used after the loop when that happened.
  TSystemMenuLoop loop{this, nullptr};
  FSystemMenuLoop = &loop;
  FSystemMenuShowing = true;
  root->Popup(nullptr, at.x, at.y, TRect());
  root->SetTreeMenuMode(false);  // kept alive by the loop record when the component went
}

TSeCustomForm::TSystemMenuLoop::~TSystemMenuLoop() {
  if (!Skin) return;  // the component went inside the loop
  Skin->FSystemMenuShowing = false;
  Skin->FSystemMenuLoop = nullptr;
}

void TSeCustomForm::SystemMenuGoes() {
  if (!FSystemMenuLoop) return;
  // The open menu outlives us until its loop returns; a click chosen meanwhile finds its
  // item gone once the loop frees it. The loop is asked to end now (a non-client message
  // left in the queue closes every level, as a click on a frame would).
  FSystemMenuLoop->Skin = nullptr;
  FSystemMenuLoop->KeptMenu = std::move(FSystemMenu);
  FSystemMenuLoop = nullptr;
  ::PostMessageW(DeferredClickWindow(), WM_NCMBUTTONDBLCLK, 0, 0);
}
