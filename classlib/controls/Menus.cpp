// Menu items, menus and their system menus.
//
// Each item with a submenu owns the submenu's handle; an entry for a child item with items
// of its own refers to the child's handle, which stays the child's: entries are taken out
// with RemoveMenu (which leaves the submenu alone) and never with DeleteMenu. A change of an
// item refills the handle of its parent, so a handle, once made, stays the same for the life
// of its item and a window showing it needs no new SetMenu.
#include "Menus.h"
#include <algorithm>
#include <mutex>
#include "../graphics/ImageList.h"
#include "Controls.h"

namespace {

const wchar_t* const SMenuIndexError = L"Menu index out of range";
const wchar_t* const SMenuReinserted = L"Menu inserted twice";
const wchar_t* const SMenuNotFound = L"Sub-menu is not in menu";
const wchar_t* const SMenuCommandsExhausted = L"Too many menu items";

// ---- Command numbers ------------------------------------------------------------------------
// Numbers below 100 are left to dialog buttons (IDOK, IDCANCEL, ...) and numbers from 0xF000
// on are the system's commands, so a menu's WM_COMMAND is never taken for either.
constexpr WORD kFirstCommand = 100;
constexpr WORD kLastCommand = 0xEFFF;

// The items by command number (slot n is number kFirstCommand + n); nullptr marks a free
// number. Shared by every thread of the process, hence the lock.
struct CommandPool {
  std::mutex Lock;
  std::vector<TMenuItem*> Items;
  size_t FirstFree = 0;  // no free slot lies below this one
};

CommandPool& Commands() {
  static CommandPool pool;
  return pool;
}

WORD AllocateCommand(TMenuItem* item) {
  CommandPool& pool = Commands();
  std::lock_guard<std::mutex> guard(pool.Lock);
  size_t slot = pool.FirstFree;
  while (slot < pool.Items.size() && pool.Items[slot]) ++slot;
  if (slot == pool.Items.size()) {
    if (slot > static_cast<size_t>(kLastCommand - kFirstCommand))
      throw EMenuError(SMenuCommandsExhausted);
    pool.Items.push_back(nullptr);
  }
  pool.Items[slot] = item;
  pool.FirstFree = slot + 1;
  return static_cast<WORD>(kFirstCommand + slot);
}

void ReleaseCommand(WORD command) {
  if (command < kFirstCommand) return;
  CommandPool& pool = Commands();
  std::lock_guard<std::mutex> guard(pool.Lock);
  const size_t slot = command - kFirstCommand;
  if (slot >= pool.Items.size()) return;
  pool.Items[slot] = nullptr;
  pool.FirstFree = std::min(pool.FirstFree, slot);
}

// The caption without its "&" marks ("&&" stands for one "&").
String StripHotkey(const String& caption) {
  String result;
  result.reserve(caption.size());
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
    else if (caption[i] == L'&') continue;
    result += caption[i];
  }
  return result;
}

// ---- Item images -----------------------------------------------------------------------------
// A menu shows an item's image as a 32-bit bitmap with premultiplied alpha. The image is
// drawn twice, on black and on white: where the two agree the pixel is opaque; where they
// differ, the difference is how much of the background shows through. This keeps both
// masked and alpha-blended images of the list right.

struct ImageDIB {
  UniqueBitmap Bitmap;
  uint32_t* Bits = nullptr;  // top-down BGRA pixels of the DIB; owned by Bitmap
};

ImageDIB MakeDIB(HDC dc, int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  ImageDIB dib;
  dib.Bitmap.reset(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  dib.Bits = dib.Bitmap ? static_cast<uint32_t*>(bits) : nullptr;
  return dib;
}

// Draws image index of the list onto a new DIB filled with background first.
ImageDIB DrawImageOn(HIMAGELIST list, int index, int width, int height, uint32_t background) {
  UniqueDC dc(::CreateCompatibleDC(nullptr));
  if (!dc) return ImageDIB();
  ImageDIB dib = MakeDIB(dc.get(), width, height);
  if (!dib.Bits) return ImageDIB();
  std::fill(dib.Bits, dib.Bits + static_cast<size_t>(width) * height, background);
  HGDIOBJ old = ::SelectObject(dc.get(), dib.Bitmap.get());
  ::ImageList_Draw(list, index, dc.get(), 0, 0, ILD_TRANSPARENT);
  ::GdiFlush();
  ::SelectObject(dc.get(), old);
  return dib;
}

int Channel(uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

// The item bitmap of image index, or an empty holder when it cannot be made.
UniqueBitmap MakeItemBitmap(TCustomImageList* images, int index) {
  const int width = images->GetWidth();
  const int height = images->GetHeight();
  HIMAGELIST list = images->GetHandle();
  ImageDIB onBlack = DrawImageOn(list, index, width, height, 0x00000000);
  ImageDIB onWhite = DrawImageOn(list, index, width, height, 0x00FFFFFF);
  if (!onBlack.Bits || !onWhite.Bits) return UniqueBitmap();
  const size_t count = static_cast<size_t>(width) * height;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t black = onBlack.Bits[i];
    const uint32_t white = onWhite.Bits[i];
    int shown = 0;  // how much of the background shows through, 0..255
    for (int shift = 0; shift <= 16; shift += 8)
      shown = std::max(shown, Channel(white, shift) - Channel(black, shift));
    const uint32_t alpha = static_cast<uint32_t>(255 - shown);
    // On black the drawn colour is already multiplied by its alpha.
    onBlack.Bits[i] = (black & 0x00FFFFFF) | (alpha << 24);
  }
  return std::move(onBlack.Bitmap);
}

}  // namespace

TMenuItem* FindMenuItemByCommand(WORD command) {
  if (command < kFirstCommand) return nullptr;
  CommandPool& pool = Commands();
  std::lock_guard<std::mutex> guard(pool.Lock);
  const size_t slot = command - kFirstCommand;
  return slot < pool.Items.size() ? pool.Items[slot] : nullptr;
}

// ---- TMenuItem: construction ------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {
  FCommand = AllocateCommand(this);
}

TMenuItem::~TMenuItem() {
  Destroying();
  if (FParent) {
    try {
      FParent->Remove(this);
    } catch (...) {
      // Removal of a listed item does not fail; the item goes away regardless.
    }
  }
  // The entries go first, so that DestroyMenu does not reach the items' own submenus.
  if (FHandle)
    for (int left = ::GetMenuItemCount(FHandle.get()); left > 0; --left)
      ::RemoveMenu(FHandle.get(), static_cast<UINT>(left - 1), MF_BYPOSITION);
  while (!FItems.empty()) {
    TMenuItem* item = FItems.back();
    FItems.pop_back();
    item->FParent = nullptr;
    delete item;
  }
  FActionLink.reset();
  ReleaseCommand(FCommand);
}

// ---- TMenuItem: appearance and state -------------------------------------------------------------

void TMenuItem::SetCaption(const String& value) {
  if (value == FCaption) return;
  FCaption = value;
  MenuChanged(false);
}

void TMenuItem::SetChecked(bool value) {
  if (value == FChecked) return;
  FChecked = value;
  if (value && FRadioItem) TurnSiblingsOff();
  MenuChanged(false);
}

void TMenuItem::SetRadioItem(bool value) {
  if (value == FRadioItem) return;
  FRadioItem = value;
  if (FChecked && FRadioItem) TurnSiblingsOff();
  MenuChanged(false);
}

void TMenuItem::SetGroupIndex(int value) {
  if (value == FGroupIndex) return;
  FGroupIndex = value;
  if (FChecked && FRadioItem) TurnSiblingsOff();
  MenuChanged(false);
}

void TMenuItem::TurnSiblingsOff() {
  if (!FParent) return;
  // The caller's MenuChanged rebuilds the parent's menu, siblings included.
  for (TMenuItem* sibling : FParent->FItems)
    if (sibling != this && sibling->FRadioItem && sibling->FGroupIndex == FGroupIndex)
      sibling->FChecked = false;
}

void TMenuItem::SetDefault(bool value) {
  if (value == FDefault) return;
  if (value && FParent)
    for (TMenuItem* sibling : FParent->FItems) sibling->FDefault = false;
  FDefault = value;
  MenuChanged(false);
}

void TMenuItem::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  MenuChanged(false);
}

void TMenuItem::SetVisible(bool value) {
  if (value == FVisible) return;
  FVisible = value;
  MenuChanged(true);
}

void TMenuItem::SetShortCut(TShortCut value) {
  if (value == FShortCut) return;
  FShortCut = value;
  MenuChanged(false);
}

void TMenuItem::SetImageIndex(int value) {
  if (value == FImageIndex) return;
  FImageIndex = value;
  MenuChanged(false);
}

// ---- TMenuItem: action -----------------------------------------------------------------------------

TBasicAction* TMenuItem::GetAction() const {
  return FActionLink ? FActionLink->GetAction() : nullptr;
}

void TMenuItem::SetAction(TBasicAction* value) {
  if (!value) {
    FActionLink.reset();
    return;
  }
  if (!FActionLink) FActionLink = std::make_unique<TMenuActionLink>(this);
  FActionLink->SetAction(value);
  ActionChange(value, value->GetComponentState().Contains(csLoading));
}

void TMenuItem::ActionChange(TBasicAction* sender, bool checkDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (!action) return;
  if (!checkDefaults || FCaption.empty()) SetCaption(action->GetCaption());
  if (!checkDefaults || !FChecked) SetChecked(action->GetChecked());
  if (!checkDefaults || FEnabled) SetEnabled(action->GetEnabled());
  if (!checkDefaults || FHelpContext == 0) SetHelpContext(action->GetHelpContext());
  if (!checkDefaults || FHint.empty()) SetHint(action->GetHint());
  if (!checkDefaults || FImageIndex == -1) SetImageIndex(action->GetImageIndex());
  if (!checkDefaults || FShortCut == scNone) SetShortCut(action->GetShortCut());
  if (!checkDefaults || FVisible) SetVisible(action->GetVisible());
  if (!checkDefaults || FGroupIndex == 0) SetGroupIndex(action->GetGroupIndex());
}

// ---- TMenuItem: tree ---------------------------------------------------------------------------------

TMenuItem* TMenuItem::GetItem(int index) const {
  if (index < 0 || index >= GetCount()) throw EMenuError(SMenuIndexError);
  return FItems[static_cast<size_t>(index)];
}

int TMenuItem::GetMenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(int value) {
  if (!FParent) return;
  const int current = GetMenuIndex();
  const int target = std::clamp(value, 0, FParent->GetCount() - 1);
  if (current == target) return;
  auto& siblings = FParent->FItems;
  siblings.erase(siblings.begin() + current);
  siblings.insert(siblings.begin() + target, this);
  FParent->RebuildHandle();
  FParent->MenuChanged(true);
}

TMenu* TMenuItem::GetMenu() const {
  const TMenuItem* root = this;
  while (root->FParent) root = root->FParent;  // the tree has no cycles (Insert refuses them)
  return root->FMenu;
}

bool TMenuItem::IsAncestorOf(const TMenuItem* item) const {
  for (const TMenuItem* up = item; up; up = up->FParent)
    if (up == this) return true;
  return false;
}

void TMenuItem::Add(TMenuItem* item) { Insert(GetCount(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item) return;
  if (item->FParent || item->FMenu || item->IsAncestorOf(this)) throw EMenuError(SMenuReinserted);
  if (index < 0 || index > GetCount()) throw EMenuError(SMenuIndexError);
  FItems.insert(FItems.begin() + index, item);
  item->FParent = this;
  RebuildHandle();
  MenuChanged(true);
}

void TMenuItem::Delete(int index) {
  if (index < 0 || index >= GetCount()) throw EMenuError(SMenuIndexError);
  TMenuItem* item = FItems[static_cast<size_t>(index)];
  FItems.erase(FItems.begin() + index);
  item->FParent = nullptr;
  RebuildHandle();
  MenuChanged(true);
}

void TMenuItem::Remove(TMenuItem* item) {
  const int index = IndexOf(item);
  if (index < 0) throw EMenuError(SMenuNotFound);
  Delete(index);
}

void TMenuItem::Clear() {
  while (!FItems.empty()) delete FItems.back();  // each takes itself out
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto found = std::find(FItems.begin(), FItems.end(), item);
  return found == FItems.end() ? -1 : static_cast<int>(found - FItems.begin());
}

TMenuItem* TMenuItem::Find(const String& caption) const {
  const String wanted = StripHotkey(caption);
  for (TMenuItem* item : FItems)
    if (AnsiCompareText(StripHotkey(item->FCaption), wanted) == 0) return item;
  return nullptr;
}

// ---- TMenuItem: system menu ------------------------------------------------------------------------

HMENU TMenuItem::GetHandle() {
  if (!FHandle) {
    const bool menuBar = FMenu && FMenu->IsMenuBar();
    FHandle.reset(menuBar ? ::CreateMenu() : ::CreatePopupMenu());
    if (!FHandle) throw EOutOfResources(L"Out of system resources");
    RebuildHandle();
  }
  return FHandle.get();
}

void TMenuItem::MenuChanged(bool rebuild) {
  if (FParent) FParent->RebuildHandle();
  else RebuildHandle();
  if (TMenu* menu = GetMenu()) menu->MenuChanged(menu, this, rebuild);
}

void TMenuItem::RebuildHandle() {
  if (!FHandle || GetComponentState().Contains(csDestroying)) return;
  HMENU menu = FHandle.get();
  for (int left = ::GetMenuItemCount(menu); left > 0; --left)
    ::RemoveMenu(menu, static_cast<UINT>(left - 1), MF_BYPOSITION);
  const bool onMenuBar = FMenu && FMenu->IsMenuBar();
  UINT position = 0;
  for (TMenuItem* item : FItems)
    if (item->FVisible) item->AppendTo(menu, position++, onMenuBar);
}

void TMenuItem::RebuildTree() {
  for (TMenuItem* item : FItems) item->RebuildTree();
  RebuildHandle();
}

String TMenuItem::DisplayText(bool onMenuBar) const {
  if (onMenuBar || FShortCut == scNone) return FCaption;
  const String keys = ShortCutToText(FShortCut);
  return keys.empty() ? FCaption : FCaption + L"\t" + keys;
}

void TMenuItem::UpdateBitmap() {
  FBitmap.reset();
  TMenu* menu = GetMenu();
  TCustomImageList* images = menu ? menu->GetImages() : nullptr;
  if (!images || FImageIndex < 0 || FImageIndex >= images->GetCount()) return;
  FBitmap = MakeItemBitmap(images, FImageIndex);
}

void TMenuItem::AppendTo(HMENU menu, UINT position, bool onMenuBar) {
  MENUITEMINFOW info = {};
  info.cbSize = sizeof(info);
  if (IsLine()) {
    info.fMask = MIIM_FTYPE | MIIM_ID;
    info.fType = MFT_SEPARATOR;
    info.wID = FCommand;
    ::InsertMenuItemW(menu, position, TRUE, &info);
    return;
  }
  String text = DisplayText(onMenuBar);
  UpdateBitmap();
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
  info.fType = MFT_STRING | (FRadioItem ? MFT_RADIOCHECK : 0);
  info.fState = (FChecked ? MFS_CHECKED : 0) | (FEnabled ? 0 : MFS_DISABLED) |
                (FDefault ? MFS_DEFAULT : 0);
  info.wID = FCommand;
  info.dwTypeData = text.data();
  info.cch = static_cast<UINT>(text.size());
  if (!FItems.empty()) {
    info.fMask |= MIIM_SUBMENU;
    info.hSubMenu = GetHandle();
  }
  if (FBitmap) {
    info.fMask |= MIIM_BITMAP;
    info.hbmpItem = FBitmap.get();
  }
  ::InsertMenuItemW(menu, position, TRUE, &info);
}

// ---- TMenuItem: operations ---------------------------------------------------------------------------

void TMenuItem::Click() {
  if (!FEnabled) return;
  if (OnClick) OnClick(this);
  else if (FActionLink) FActionLink->Execute(this);
}

void TMenuItem::InitiateAction() {
  if (FActionLink) FActionLink->Update();
}

void TMenuItem::InitiateActions() {
  // An update may change the items; each is looked for again before it is updated.
  const std::vector<TMenuItem*> items = FItems;
  for (TMenuItem* item : items)
    if (IndexOf(item) >= 0) item->InitiateAction();
}

// ---- TMenuActionLink -----------------------------------------------------------------------------------

TMenuActionLink::TMenuActionLink(TMenuItem* client) : TActionLink(client), FClient(client) {}

bool TMenuActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() &&
         FClient->GetCaption() == GetCustomAction()->GetCaption();
}

bool TMenuActionLink::IsCheckedLinked() {
  return TActionLink::IsCheckedLinked() &&
         FClient->GetChecked() == GetCustomAction()->GetChecked();
}

bool TMenuActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() &&
         FClient->GetEnabled() == GetCustomAction()->GetEnabled();
}

bool TMenuActionLink::IsHelpContextLinked() {
  return TActionLink::IsHelpContextLinked() &&
         FClient->GetHelpContext() == GetCustomAction()->GetHelpContext();
}

bool TMenuActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && FClient->GetHint() == GetCustomAction()->GetHint();
}

bool TMenuActionLink::IsImageIndexLinked() {
  return TActionLink::IsImageIndexLinked() &&
         FClient->GetImageIndex() == GetCustomAction()->GetImageIndex();
}

bool TMenuActionLink::IsShortCutLinked() {
  return TActionLink::IsShortCutLinked() &&
         FClient->GetShortCut() == GetCustomAction()->GetShortCut();
}

bool TMenuActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() &&
         FClient->GetVisible() == GetCustomAction()->GetVisible();
}

bool TMenuActionLink::IsGroupIndexLinked() {
  return TActionLink::IsGroupIndexLinked() &&
         FClient->GetGroupIndex() == GetCustomAction()->GetGroupIndex();
}

void TMenuActionLink::SetCaption(const String& value) {
  if (IsCaptionLinked()) FClient->SetCaption(value);
}

void TMenuActionLink::SetChecked(bool value) {
  if (IsCheckedLinked()) FClient->SetChecked(value);
}

void TMenuActionLink::SetEnabled(bool value) {
  if (IsEnabledLinked()) FClient->SetEnabled(value);
}

void TMenuActionLink::SetHelpContext(int value) {
  if (IsHelpContextLinked()) FClient->SetHelpContext(value);
}

void TMenuActionLink::SetHint(const String& value) {
  if (IsHintLinked()) FClient->SetHint(value);
}

void TMenuActionLink::SetImageIndex(int value) {
  if (IsImageIndexLinked()) FClient->SetImageIndex(value);
}

void TMenuActionLink::SetShortCut(TShortCut value) {
  if (IsShortCutLinked()) FClient->SetShortCut(value);
}

void TMenuActionLink::SetVisible(bool value) {
  if (IsVisibleLinked()) FClient->SetVisible(value);
}

void TMenuActionLink::SetGroupIndex(int value) {
  if (IsGroupIndexLinked()) FClient->SetGroupIndex(value);
}

// ---- TMenu --------------------------------------------------------------------------------------------------

TMenu::TMenu(TComponent* owner) : TComponent(owner) {
  FItems = new TMenuItem(nullptr);
  FItems->FMenu = this;
}

TMenu::~TMenu() {
  Destroying();
  SetImages(nullptr);
  TMenuItem* root = FItems;
  FItems = nullptr;
  delete root;
}

void TMenu::SetImages(TCustomImageList* value) {
  if (value == FImages) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = value;
  if (FImages) FImages->FreeNotification(this);
  if (FItems && !GetComponentState().Contains(csDestroying)) {
    FItems->RebuildTree();
    MenuChanged(this, nullptr, false);
  }
}

void TMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FImages) SetImages(nullptr);
}

void TMenu::MenuChanged(TObject* sender, TMenuItem* source, bool rebuild) {
  if (GetComponentState().Contains(csDestroying)) return;
  if (OnChange) OnChange(sender, source, rebuild);
}

namespace {

// The first item under parent (depth first) that match accepts; descends only into items
// that descend accepts.
template <class Match, class Descend>
TMenuItem* FindUnder(TMenuItem* parent, const Match& match, const Descend& descend) {
  for (int i = 0; i < parent->GetCount(); ++i) {
    TMenuItem* item = parent->GetItem(i);
    if (match(item)) return item;
    if (descend(item))
      if (TMenuItem* found = FindUnder(item, match, descend)) return found;
  }
  return nullptr;
}

}  // namespace

TMenuItem* TMenu::FindItem(UINT_PTR value, TFindItemKind kind) const {
  if (!FItems) return nullptr;
  switch (kind) {
    case fkCommand: {
      TMenuItem* item = FindMenuItemByCommand(static_cast<WORD>(value));
      return value <= 0xFFFF && item && item->GetMenu() == this ? item : nullptr;
    }
    case fkHandle:
      if (FItems->HandleAllocated() && reinterpret_cast<UINT_PTR>(FItems->FHandle.get()) == value)
        return FItems;
      return FindUnder(
          FItems,
          [value](TMenuItem* item) {
            return item->HandleAllocated() &&
                   reinterpret_cast<UINT_PTR>(item->FHandle.get()) == value;
          },
          [](TMenuItem*) { return true; });
    case fkShortCut: {
      // A disabled or hidden submenu cannot be opened, so neither it nor its items count.
      auto usable = [](TMenuItem* item) { return item->GetEnabled() && item->GetVisible(); };
      return FindUnder(
          FItems,
          [value, usable](TMenuItem* item) {
            return usable(item) && !item->IsLine() && item->GetShortCut() != scNone &&
                   item->GetShortCut() == value;
          },
          usable);
    }
  }
  return nullptr;
}

bool TMenu::DispatchCommand(WORD command) {
  TMenuItem* item = FindItem(command, fkCommand);
  if (!item) return false;
  item->Click();
  return true;
}

bool TMenu::DispatchPopup(HMENU menu) {
  TMenuItem* item = FindItem(reinterpret_cast<UINT_PTR>(menu), fkHandle);
  if (!item) return false;
  item->InitiateActions();
  item->Click();
  return true;
}

bool TMenu::IsShortCut(WORD key, TShiftState shift) {
  const TShortCut shortCut = ShortCut(key, shift);
  if (shortCut == scNone) return false;
  TMenuItem* item = FindItem(shortCut, fkShortCut);
  if (!item) return false;
  // As when the user opens the submenus: each parent's actions are updated and its
  // OnClick runs, top first. These may change the tree, so the parents are held by command
  // number and the item is looked for again afterwards.
  std::vector<WORD> parents;
  for (TMenuItem* up = item->GetParent(); up; up = up->GetParent())
    parents.push_back(up->GetCommand());
  for (auto it = parents.rbegin(); it != parents.rend(); ++it) {
    TMenuItem* parent = FindItem(*it, fkCommand);
    if (!parent) break;
    parent->InitiateActions();
    parent->Click();
  }
  item = FindItem(shortCut, fkShortCut);
  if (!item) return false;
  item->Click();
  return true;
}

bool TMenu::IsShortCut(const TWMKey& message) {
  return IsShortCut(message.GetCharCode(), KeyDataToShiftState(message.GetKeyData()));
}

// ---- TMainMenu ----------------------------------------------------------------------------------------------

void TMainMenu::MenuChanged(TObject* sender, TMenuItem* source, bool rebuild) {
  if (GetComponentState().Contains(csDestroying)) return;
  HWND window = GetWindowHandle();
  if (window && ::IsWindow(window) && GetItems()->HandleAllocated() &&
      ::GetMenu(window) == GetItems()->GetHandle())
    ::DrawMenuBar(window);
  TMenu::MenuChanged(sender, source, rebuild);
}

// ---- TPopupMenu ---------------------------------------------------------------------------------------------

namespace {

// The popup menus being shown, innermost last; an entry is nullptr once its menu was freed
// while it was shown.
std::vector<TPopupMenu*>& ShownPopups() {
  static std::vector<TPopupMenu*> popups;
  return popups;
}

// The hidden window that owns the popup menus while they are shown: it hears
// WM_INITMENUPOPUP, which sets up a submenu before it opens. Popup menus belong to the
// thread of the windows, as the windows do.
LRESULT CALLBACK PopupOwnerProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITMENUPOPUP) {
    try {
      const auto menu = reinterpret_cast<HMENU>(wParam);
      const std::vector<TPopupMenu*> popups = ShownPopups();
      for (auto it = popups.rbegin(); it != popups.rend(); ++it)
        if (*it && (*it)->DispatchPopup(menu)) return 0;
    } catch (...) {
      ApplicationHandleException(nullptr);
      return 0;
    }
  }
  return ::DefWindowProcW(window, msg, wParam, lParam);
}

// Owns the popup owner window for the life of the process.
class PopupOwner {
 public:
  PopupOwner() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = PopupOwnerProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassW(&windowClass);  // fails harmlessly when already registered
    FWindow = ::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0,
                                nullptr, nullptr, windowClass.hInstance, nullptr);
  }
  ~PopupOwner() {
    if (FWindow && ::IsWindow(FWindow)) ::DestroyWindow(FWindow);
  }
  PopupOwner(const PopupOwner&) = delete;
  PopupOwner& operator=(const PopupOwner&) = delete;
  HWND Get() const { return FWindow; }

 private:
  static constexpr const wchar_t* kClassName = L"ExamPrepPopupOwner";
  HWND FWindow = nullptr;  // hidden; nullptr when it could not be made
};

HWND PopupOwnerWindow() {
  static PopupOwner owner;
  return owner.Get();
}

UINT AlignmentFlags(TPopupAlignment alignment) {
  switch (alignment) {
    case paRight: return TPM_RIGHTALIGN;
    case paCenter: return TPM_CENTERALIGN;
    case paLeft: break;
  }
  return TPM_LEFTALIGN;
}

}  // namespace

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {
  // Made now, so that the list outlives every popup menu (the destructor uses it).
  ShownPopups();
}

TPopupMenu::~TPopupMenu() {
  for (TPopupMenu*& shown : ShownPopups())
    if (shown == this) shown = nullptr;
  SetPopupComponent(nullptr);
}

void TPopupMenu::SetPopupComponent(TComponent* value) {
  if (value == FPopupComponent) return;
  if (FPopupComponent) FPopupComponent->RemoveFreeNotification(this);
  FPopupComponent = value;
  if (FPopupComponent) FPopupComponent->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
  TMenu::Notification(component, operation);
  if (operation == opRemove && component == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::DoPopup(TObject* sender) {
  if (OnPopup) OnPopup(sender);
}

void TPopupMenu::Popup(int x, int y) {
  FPopupPoint = TPoint(x, y);
  DoPopup(this);
  HMENU menu = GetHandle();
  if (::GetMenuItemCount(menu) <= 0) return;
  HWND owner = PopupOwnerWindow();
  if (!owner) return;
  auto& shown = ShownPopups();
  shown.push_back(this);
  const size_t frame = shown.size() - 1;
  const UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON | AlignmentFlags(FAlignment);
  const BOOL command = ::TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
  // Lets the system finish closing the menu before anything else happens.
  ::PostMessageW(owner, WM_NULL, 0, 0);
  const bool alive = frame < shown.size() && shown[frame] == this;
  shown.resize(std::min(shown.size(), frame));
  if (alive && command > 0 && command <= 0xFFFF) DispatchCommand(static_cast<WORD>(command));
}
