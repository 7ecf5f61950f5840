#include "SkinMenuData.h"

#include <memory>
#include <vector>

#include "SkinItems.h"
#include "classlib/forms/Forms.h"
#include "classlib/graphics/Bitmap.h"

namespace {

NONCLIENTMETRICSW NonClientMetrics() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  return metrics;
}

constexpr int ArrowSize = 20;
constexpr COLORREF ArrowKey = RGB(255, 0, 255);  // the glyph's transparent colour

// The arrow the system draws for submenus, on fuchsia.
std::unique_ptr<TBitmap> MakeArrowGlyph() {
  auto glyph = std::make_unique<TBitmap>();
  glyph->SetPixelFormat(pf32bit);
  glyph->SetSize(ArrowSize, ArrowSize);
  HDC dc = glyph->GetCanvas()->GetHandle();
  RECT r{0, 0, ArrowSize, ArrowSize};
  ::DrawFrameControl(dc, &r, DFC_MENU, DFCS_MENUARROW);
  for (int y = 0; y < ArrowSize; ++y)
    for (int x = 0; x < ArrowSize; ++x)
      if (::GetPixel(dc, x, y) == RGB(255, 255, 255)) ::SetPixel(dc, x, y, ArrowKey);
  return glyph;
}

struct MenuClassEntry {
  const TClassInfo* containerClass;
  TSeAddItemProc addItem;
  int references;
};
std::vector<MenuClassEntry>& MenuClassRegistry() {
  static std::vector<MenuClassEntry> entries;
  return entries;
}

// The hidden form that runs item clicks after the menus have closed.
class TSeClickHandler : public TForm {
  CLASSLIB_CLASS(TSeClickHandler, TForm)
  explicit TSeClickHandler(TComponent* owner) : TForm(owner) {
    SetBounds(10000, 10000, 0, 0);
    HandleNeeded();
  }
  ~TSeClickHandler() override;

  void Dispatch(TMessage& message) override {
    if (message.Msg != SE_ITEMCLICK) {
      inherited::Dispatch(message);
      return;
    }
    const auto serial = static_cast<uint32_t>(message.LParam);
    Application->ProcessMessages();
    // Looked up only now: an item freed meanwhile is not clicked.
    if (TSeCustomItem* item = TSeCustomItem::FromSerial(serial)) item->DoClick();
  }
};

TSeClickHandler* ClickHandler = nullptr;

TSeClickHandler::~TSeClickHandler() {
  if (ClickHandler == this) ClickHandler = nullptr;
}

}  // namespace

TFont* MenuFont() {
  static const std::unique_ptr<TFont> font = [] {
    auto f = std::make_unique<TFont>();
    NONCLIENTMETRICSW metrics = NonClientMetrics();
    f->SetHandle(::CreateFontIndirectW(&metrics.lfMenuFont));
    return f;
  }();
  return font.get();
}

TSize MenuMetrics() {
  const NONCLIENTMETRICSW metrics = NonClientMetrics();
  return TSize(std::max(20, metrics.iMenuWidth), std::max(20, metrics.iMenuHeight));
}

void DrawSubmenuArrow(TCanvas* canvas, int x, int y, TColor color) {
  static const std::unique_ptr<TBitmap> glyph = MakeArrowGlyph();
  // Every pixel of the glyph that is not the key colour is drawn in colour.
  HDC source = glyph->GetCanvas()->GetHandle();
  HDC target = canvas->GetHandle();
  const COLORREF rgb = ColorToRGB(color);
  for (int py = 0; py < ArrowSize; ++py)
    for (int px = 0; px < ArrowSize; ++px)
      if (::GetPixel(source, px, py) != ArrowKey) ::SetPixelV(target, x + px, y + py, rgb);
}

void DrawSubmenuArrowOver(TCanvas* canvas, const TRect& area, TColor color) {
  const int width = area.Right - area.Left, height = area.Bottom - area.Top;
  if (width < 1 || height < 1) return;
  TBitmap scratch;
  scratch.SetPixelFormat(pf32bit);
  scratch.SetSize(width, height);
  HDC source = scratch.GetCanvas()->GetHandle();
  RECT r{0, 0, width, height};
  ::DrawFrameControl(source, &r, DFC_MENU, DFCS_MENUARROW);
  HDC target = canvas->GetHandle();
  const COLORREF rgb = ColorToRGB(color);
  for (int py = 0; py < height; ++py)
    for (int px = 0; px < width; ++px)
      if (::GetPixel(source, px, py) == RGB(0, 0, 0)) ::SetPixelV(target, area.Left + px, area.Top + py, rgb);
}

void RegisterMenuClass(const TClassInfo* containerClass, TSeAddItemProc addItem) {
  for (MenuClassEntry& entry : MenuClassRegistry())
    if (entry.containerClass == containerClass) {
      ++entry.references;
      entry.addItem = std::move(addItem);
      return;
    }
  MenuClassRegistry().push_back({containerClass, std::move(addItem), 1});
}

void UnregisterMenuClass(const TClassInfo* containerClass) {
  auto& entries = MenuClassRegistry();
  for (auto it = entries.begin(); it != entries.end(); ++it)
    if (it->containerClass == containerClass) {
      if (--it->references <= 0) entries.erase(it);
      return;
    }
}

bool AddItemToMenuContainer(TComponent* container, TSeCustomItem* item) {
  const auto& entries = MenuClassRegistry();
  for (auto it = entries.rbegin(); it != entries.rend(); ++it)
    if (container->InheritsFrom(it->containerClass)) {
      it->addItem(container, item);
      return true;
    }
  return false;
}

HWND DeferredClickWindow() {
  if (!ClickHandler && Application) ClickHandler = new TSeClickHandler(Application);
  return ClickHandler ? ClickHandler->GetHandle() : nullptr;
}

bool DeferredClickWindowExists() { return ClickHandler && ClickHandler->HandleAllocated(); }
