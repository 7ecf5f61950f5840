#include "MessageDialogs.h"

#include <algorithm>
#include <memory>

#include "Buttons.h"
#include "Images.h"
#include "ScreenCanvas.h"
#include "StdLabels.h"

namespace {

// The layout in dialog units (horizontal ones are a quarter, vertical ones an eighth of the
// font's average character).
constexpr int mcHorzMargin = 8;
constexpr int mcVertMargin = 8;
constexpr int mcHorzSpacing = 10;
constexpr int mcVertSpacing = 10;
constexpr int mcButtonWidth = 50;
constexpr int mcButtonHeight = 14;
constexpr int mcButtonSpacing = 4;
constexpr int IconSize = 32;

struct TButtonInfo {
  const wchar_t* Name;
  const wchar_t* Caption;
  TModalResult Result;
};

// In the order of TMsgDlgBtn.
constexpr TButtonInfo ButtonInfos[] = {
    {L"Yes", L"&Yes", mrYes},          {L"No", L"&No", mrNo},
    {L"OK", L"OK", mrOk},              {L"Cancel", L"Cancel", mrCancel},
    {L"Abort", L"&Abort", mrAbort},    {L"Retry", L"&Retry", mrRetry},
    {L"Ignore", L"&Ignore", mrIgnore}, {L"All", L"&All", mrAll},
    {L"NoToAll", L"N&o to All", mrNoToAll},
    {L"YesToAll", L"Yes to &All", mrYesToAll},
    {L"Help", L"&Help", mrNone}};
constexpr int ButtonKinds = static_cast<int>(std::size(ButtonInfos));

// In the order of TMsgDlgType.
constexpr const wchar_t* TypeCaptions[] = {L"Warning", L"Error", L"Information", L"Confirm",
                                          nullptr};
const wchar_t* const TypeIcons[] = {IDI_EXCLAMATION, IDI_HAND, IDI_ASTERISK, IDI_QUESTION,
                                       nullptr};

// The message form: what it needs beyond a form is the help context of its Help button.
class TMessageForm : public TForm {
  CLASSLIB_CLASS(TMessageForm, TForm)
  explicit TMessageForm(TComponent* owner) : TForm(owner) {}

  int HelpContext = 0;

  void HelpButtonClick(TObject*) {
    if (Application) Application->HelpContext(HelpContext);
  }
};

// The average character of the font: the width of the 52 letters over 52, and the height.
TPoint AverageCharSize(TCanvas* canvas) {
  const TSize size =
      canvas->TextExtent(L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return TPoint(size.cx / 52, size.cy);
}

// The rectangle of the text as DrawText breaks it at width pixels.
TRect TextRect(TCanvas* canvas, const String& text, int width, UINT flags) {
  RECT r{0, 0, width, 0};
  ::DrawTextW(canvas->GetHandle(), text.c_str(), static_cast<int>(text.size()), &r,
              flags | DT_CALCRECT);
  return TRect(r.left, r.top, r.right, r.bottom);
}

}  // namespace

String MsgDlgButtonCaption(TMsgDlgBtn button) {
  const int index = static_cast<int>(button);
  return index >= 0 && index < ButtonKinds ? ButtonInfos[index].Caption : L"";
}

TModalResult MsgDlgButtonResult(TMsgDlgBtn button) {
  const int index = static_cast<int>(button);
  return index >= 0 && index < ButtonKinds ? ButtonInfos[index].Result : mrNone;
}

TForm* CreateMessageDialog(const String& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons) {
  const int type = std::clamp(static_cast<int>(dlgType), 0, static_cast<int>(mtCustom));
  auto form = std::unique_ptr<TMessageForm>(TCustomForm::Create<TMessageForm>(Application));
  form->SetBorderStyle(bsDialog);
  form->SetCaption(TypeCaptions[type] ? String(TypeCaptions[type])
                                      : (Application ? Application->GetTitle() : String()));

  // Measures in the form's font.
  TScreenCanvas screen;
  TCanvas* canvas = screen.Get();
  canvas->SetFont(form->GetFont());
  const TPoint units = AverageCharSize(canvas);
  const int horzMargin = MulDiv(mcHorzMargin, units.X, 4);
  const int vertMargin = MulDiv(mcVertMargin, units.Y, 8);
  const int horzSpacing = MulDiv(mcHorzSpacing, units.X, 4);
  const int vertSpacing = MulDiv(mcVertSpacing, units.Y, 8);
  const int buttonHeight = MulDiv(mcButtonHeight, units.Y, 8);
  const int buttonSpacing = MulDiv(mcButtonSpacing, units.X, 4);
  int buttonWidth = MulDiv(mcButtonWidth, units.X, 4);
  int buttonCount = 0;
  for (int b = 0; b < ButtonKinds; ++b) {
    if (!buttons.Contains(static_cast<TMsgDlgBtn>(b))) continue;
    ++buttonCount;
    const TRect caption = TextRect(canvas, ButtonInfos[b].Caption, 0, DT_LEFT | DT_SINGLELINE);
    buttonWidth = std::max(buttonWidth, caption.Width() + 8);
  }

  const int screenWidth = Screen ? Screen->GetWidth() : ::GetSystemMetrics(SM_CXSCREEN);
  const TRect text = TextRect(canvas, msg, screenWidth / 2, DT_EXPANDTABS | DT_WORDBREAK);
  const wchar_t* iconId = TypeIcons[type];
  int iconTextWidth = text.Right;
  int iconTextHeight = text.Bottom;
  if (iconId) {
    iconTextWidth += IconSize + horzSpacing;
    iconTextHeight = std::max(iconTextHeight, IconSize);
  }
  const int buttonGroupWidth =
      buttonCount > 0 ? buttonWidth * buttonCount + buttonSpacing * (buttonCount - 1) : 0;
  const int clientWidth = std::max(iconTextWidth, buttonGroupWidth) + horzMargin * 2;
  form->SetClientWidth(clientWidth);
  form->SetClientHeight(iconTextHeight + buttonHeight + vertSpacing + vertMargin * 2);

  if (iconId) {
    auto* image = new TImage(form.get());
    image->SetName(L"Image");
    image->SetParent(form.get());
    // The shared icon of the system is copied: the picture destroys what it holds.
    image->GetPicture()->GetIcon()->SetHandle(::CopyIcon(::LoadIconW(nullptr, iconId)));
    image->SetBounds(horzMargin, vertMargin, IconSize, IconSize);
  }
  auto* message = new TLabel(form.get());
  message->SetName(L"Message");
  message->SetParent(form.get());
  message->SetWordWrap(true);
  message->SetCaption(msg);
  message->SetBounds(iconTextWidth - text.Right + horzMargin, vertMargin, text.Width(),
                     text.Height());

  const TMsgDlgBtn defaultButton = buttons.Contains(mbOK)    ? mbOK
                                   : buttons.Contains(mbYes) ? mbYes
                                                             : mbRetry;
  const TMsgDlgBtn cancelButton = buttons.Contains(mbCancel) ? mbCancel
                                  : buttons.Contains(mbNo)   ? mbNo
                                                             : mbOK;
  int x = (clientWidth - buttonGroupWidth) / 2;
  for (int b = 0; b < ButtonKinds; ++b) {
    const auto kind = static_cast<TMsgDlgBtn>(b);
    if (!buttons.Contains(kind)) continue;
    auto* button = new TButton(form.get());
    button->SetName(ButtonInfos[b].Name);
    button->SetParent(form.get());
    button->SetCaption(ButtonInfos[b].Caption);
    button->SetModalResult(ButtonInfos[b].Result);
    button->SetDefault(kind == defaultButton);
    button->SetCancel(kind == cancelButton);
    button->SetBounds(x, iconTextHeight + vertMargin + vertSpacing, buttonWidth, buttonHeight);
    if (kind == mbHelp) {
      TMessageForm* owner = form.get();
      button->SetOnClick([owner](TObject* sender) { owner->HelpButtonClick(sender); });
    }
    x += buttonWidth + buttonSpacing;
  }
  return form.release();
}

int MessageDlg(const String& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx) {
  return MessageDlgPos(msg, dlgType, buttons, helpCtx, -1, -1);
}

int MessageDlgPos(const String& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, int helpCtx,
                  int x, int y) {
  std::unique_ptr<TForm> form(CreateMessageDialog(msg, dlgType, buttons));
  if (auto* messageForm = dynamic_cast<TMessageForm*>(form.get()))
    messageForm->HelpContext = helpCtx;
  if (x >= 0) form->SetLeft(x);
  if (y >= 0) form->SetTop(y);
  if (x < 0 && y < 0) form->SetPosition(poScreenCenter);
  return form->ShowModal();
}

void ShowMessage(const String& msg) { ShowMessagePos(msg, -1, -1); }

void ShowMessageFmt(const String& msg, std::initializer_list<TVarRec> params) {
  ShowMessage(Format(msg, params));
}

void ShowMessagePos(const String& msg, int x, int y) {
  MessageDlgPos(msg, mtCustom, TMsgDlgButtons{mbOK}, 0, x, y);
}
