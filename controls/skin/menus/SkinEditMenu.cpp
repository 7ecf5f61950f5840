// The owner-drawn edit's context menu, defined here with the menus it is made of (the menus
// build on the controls): the library's own popup menu with the edit commands, each item
// enabled by the edit's state when the menu comes up.
#include <memory>

#include "SkinItems.h"
#include "SkinMenus.h"
#include "classlib/stdctrls/Clipboard.h"
#include "controls/skin/controls/SkinEdit.h"

namespace {
// The context menu: captions and commands in menu order; a null command is a separator.
struct TMenuEntry {
  const wchar_t* Caption;
  int Command;
};
const TMenuEntry MenuEntries[] = {
    {L"撤销(&U)", emUndo},  {L"-", -1},           {L"剪切(&T)", emCut},
    {L"复制(&C)", emCopy},  {L"粘贴(&P)", emPaste}, {L"删除(&D)", emDelete},
    {L"-", -1},             {L"全选(&A)", emSelectAll},
};
}  // namespace

void TSeCustomEdit::WMContextMenu(TMessage& message) {
  if (GetComponentState().Contains(csDesigning)) return;
  const std::weak_ptr<int> alive = GetLifeToken();
  UpdateContextMenu();
  SendCancelMode(this);
  if (alive.expired()) return;
  FContextMenu->SetPopupComponent(this);
  int x = static_cast<short>(LOWORD(message.LParam)), y = static_cast<short>(HIWORD(message.LParam));
  if (x == -1 && y == -1) {
    // From the keyboard: at the caret.
    POINT p{CaretX(FCaretPosition), GetTextRect().Bottom};
    ::ClientToScreen(GetHandle(), &p);
    x = p.x, y = p.y;
  }
  message.Result = 0;
  FContextMenu->Popup(x, y);
}

TSeCustomPopupMenu* TSeCustomEdit::CreateContextMenu() { return new TSeCustomPopupMenu(this); }

TSeCustomItem* TSeCustomEdit::CreateContextMenuItem(TSeCustomPopupMenu* menu) {
  return new TSeCustomItem(menu);
}

void TSeCustomEdit::UpdateContextMenu() {
  if (!FContextMenu) {
    FContextMenu = CreateContextMenu();
    for (const TMenuEntry& entry : MenuEntries) {
      TSeCustomItem* item = CreateContextMenuItem(FContextMenu);
      item->SetCaption(entry.Caption);
      item->SetTag(entry.Command);
      if (entry.Command >= 0)
        item->OnClick = [this, command = entry.Command](TObject*) {
          RunMenuCommand(static_cast<TEditMenuCommand>(command));
        };
      FContextMenu->GetSeItems()->Add(item);
    }
  }
  const bool selected = GetSelLength() > 0;
  bool clipboardText = false;
  try {
    clipboardText = Clipboard()->HasFormat(CF_UNICODETEXT) && !Clipboard()->GetAsText().empty();
  } catch (const Exception&) {
  }
  TSeCustomItem* items = FContextMenu->GetSeItems();
  for (int i = 0; i < items->GetCount(); ++i) {
    TSeCustomItem* item = items->GetItem(i);
    bool enabled = true;
    switch (item->GetTag()) {
      case emUndo: enabled = CanUndo(); break;
      case emCut: enabled = selected && !PasswordMode() && !FReadOnly; break;
      case emCopy: enabled = selected && !PasswordMode(); break;
      case emPaste: enabled = clipboardText && !FReadOnly; break;
      case emDelete: enabled = selected && !FReadOnly; break;
      case emSelectAll: enabled = GetSelText() != FText; break;
      default: break;
    }
    item->SetEnabled(enabled);
  }
  FContextMenu->SetPopupMenuOptions(FContextMenuOptions.get());
}
