// The published properties of the data source, so that stored layouts can place data
// sources over the data sets of a data module, and the registration of its class.
#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "DB.h"

namespace {

const bool DBClassesRegistered = [] {
  try {
    RegisterClasses({TDataSource::StaticClassInfo()});
  } catch (...) {
    // A clash of names is the registry's to report when a layout names the class.
  }
  return true;
}();

}  // namespace

const TPropertyTable* TDataSource::PublishedProperties() {
  using P = TPublish<TDataSource>;
  using C = TDataSource;
  static const TPropertyTable table{
      P::Boolean(L"AutoEdit", &C::GetAutoEdit, &C::SetAutoEdit).Default(true),
      P::Component(L"DataSet", &C::GetDataSet, &C::SetDataSet),
      P::Boolean(L"Enabled", &C::GetEnabled, &C::SetEnabled).Default(true),
      P::Method(L"OnDataChange", &C::OnDataChange, &C::OnDataChange),
      P::Method(L"OnStateChange", &C::OnStateChange, &C::OnStateChange),
      P::Method(L"OnUpdateData", &C::OnUpdateData, &C::OnUpdateData),
  };
  return &table;
}
