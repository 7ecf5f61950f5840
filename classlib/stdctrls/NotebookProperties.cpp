// The properties stored layouts keep of notebooks and their pages, and their registration.
//
// A page's Visible and Align follow from its notebook, so they are not stored; nor are the
// notebook's Pages and ActivePage, which its pages (stored inside it) and PageIndex say.
#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../controls/ControlIdents.h"
#include "Notebooks.h"

namespace {

const bool NotebookClassesRegistered = [] {
  RegisterClass<TNotebook>();
  RegisterClass<TPage>();
  return true;
}();

}  // namespace

const TPropertyTable* TPage::PublishedProperties() {
  using P = TPublish<TPage>;
  using C = TPage;
  static const TPropertyTable table{
      P::Enum(L"Align", AlignIdents, &C::GetAlign, &C::SetAlign).Stored(false),
      P::Boolean(L"Visible", &C::GetVisible, &C::SetVisible).Stored(false),
  };
  return &table;
}

const TPropertyTable* TNotebook::PublishedProperties() {
  using P = TPublish<TNotebook>;
  using C = TNotebook;
  static const TPropertyTable table{
      P::Text(L"ActivePage", &C::GetActivePage, &C::SetActivePage).Stored(false),
      P::Integer(L"PageIndex", &C::GetPageIndex, &C::SetPageIndex).Default(0),
      P::Strings(L"Pages", &C::GetPages, &C::SetPages).Stored(false),
      P::Method(L"OnPageChanged", &C::GetOnPageChanged, &C::SetOnPageChanged),
  };
  return &table;
}
