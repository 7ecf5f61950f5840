#include "SkinMessage.h"

#include "SkinForm.h"
#include "classlib/classes/Properties.h"
#include "classlib/graphics/GraphicsObjects.h"
#include "controls/skin/controls/SkinButton.h"
#include "controls/skin/controls/SkinCheckBox.h"
#include "controls/skin/controls/SkinEdit.h"
#include "controls/skin/controls/SkinHooks.h"
#include "controls/skin/controls/SkinLabel.h"

namespace {
const wchar_t* const BorderIconNames[] = {L"vbiClose", L"vbiSystemMenu", L"vbiMinimize",
                                          L"vbiMaximize", L"vbiHelp", L"vbiRollup", L"vbiTray"};

TSeCustomMessage*& GlobalSlot() {
  static TSeCustomMessage* global = nullptr;
  return global;
}

// Makes the global component while the program starts; the application it belongs to is made
// first when this unit starts before the forms unit does.
const struct TGlobalMessageStarter {
  TGlobalMessageStarter() {
    InitApplication();
    SeGlobalMessage();
  }
} gGlobalMessageStarter;
}  // namespace

const TEnumInfo SeBorderIconIdents = MakeEnumInfo(BorderIconNames);

const TPropertyTable* TSeCustomMessage::PublishedProperties() {
  using P = TPublish<TSeCustomMessage>;
  using C = TSeCustomMessage;
  static const TPropertyTable table{
      P::Boolean(L"ShowButtonGlyph", &C::GetShowButtonGlyph, &C::SetShowButtonGlyph).Default(true),
      P::Boolean(L"ShowIconImage", &C::GetShowIconImage, &C::SetShowIconImage).Default(true),
      P::Enum(L"Position", PositionIdents, &C::GetPosition, &C::SetPosition).Default(poScreenCenter),
      P::Set(L"BorderIcons", SeBorderIconIdents, &C::GetBorderIcons, &C::SetBorderIcons)
          .Default(TSeBorderIcons{vbiClose, vbiSystemMenu}),
      P::Persistent(L"MessageFont", &C::GetMessageFont, &C::SetMessageFont),
      P::Persistent(L"ButtonFont", &C::GetButtonFont, &C::SetButtonFont),
      P::Boolean(L"ShowHints", &C::GetShowHints, &C::SetShowHints).Default(false),
      P::Boolean(L"Global", &C::GetGlobal, &C::SetGlobal).Default(false),
      P::Persistent(L"Animation", &C::GetAnimation, &C::SetAnimation),
      P::Persistent(L"Blending", &C::GetBlending, &C::SetBlending),
      P::Persistent(L"Dragging", &C::GetDragging, &C::SetDragging),
      P::Persistent(L"Shadow", &C::GetShadow, &C::SetShadow),
  };
  return &table;
}

TSeCustomMessage::TSeCustomMessage(TComponent* owner)
    : TComponent(owner),
      FMessageFont(std::make_unique<TFont>()),
      FButtonFont(std::make_unique<TFont>()),
      FAnimation(std::make_unique<TSeAnimation>()),
      FBlending(std::make_unique<TSeBlending>()),
      FDragging(std::make_unique<TSeDragging>()),
      FShadow(std::make_unique<TSeShadow>()) {}

TSeCustomMessage::~TSeCustomMessage() {
  if (GlobalSlot() == this) GlobalSlot() = nullptr;
}

void TSeCustomMessage::SetGlobal(bool value) {
  if (value == FGlobal) return;
  FGlobal = value;
  if (!value) return;
  TSeCustomMessage* previous = GlobalSlot();
  GlobalSlot() = this;
  // Never the one that is already global: it would free itself.
  if (previous && previous != this) delete previous;
}

TSeCustomButton* TSeCustomMessage::CreateButton(TComponent* owner) {
  return new TSeCustomButton(owner);
}

TWinControl* TSeCustomMessage::CreateEdit(TComponent* owner) { return new TSeCustomEdit(owner); }

TSeHook* TSeCustomMessage::CreateFormHook(TComponent* owner) { return new TSeCustomForm(owner); }

TSeCustomLabel* TSeCustomMessage::CreateLabel(TComponent* owner) { return new TSeCustomLabel(owner); }

TSeCustomCheckBox* TSeCustomMessage::CreateCheckBox(TComponent* owner) {
  return new TSeCustomCheckBox(owner);
}

TSeCustomMessage* SeGlobalMessage() {
  if (!GlobalSlot() && Application) GlobalSlot() = new TSeCustomMessage(Application);
  return GlobalSlot();
}

TFont* SeStatusFont() {
  static const std::unique_ptr<TFont> font = [] {
    auto made = std::make_unique<TFont>();
    // The wide structure's own size (a size of the narrow one is refused); systems older
    // than the padded field take the size without it.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    BOOL ok = ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    if (!ok) {
      metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
      ok = ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    }
    if (ok) made->SetHandle(::CreateFontIndirectW(&metrics.lfStatusFont));
    return made;
  }();
  return font.get();
}
