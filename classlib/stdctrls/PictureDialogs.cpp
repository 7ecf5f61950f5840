#include "PictureDialogs.h"

#include "../classes/ClassRegistry.h"
#include "../classes/Properties.h"
#include "../graphics/Graphic.h"

namespace {

const bool PictureDialogRegistered = [] {
  RegisterClass<TSavePictureDialog>();
  return true;
}();

}  // namespace

TSavePictureDialog::TSavePictureDialog(TComponent* owner) : TSaveDialog(owner) {
  SetFilter(DefaultFilter());
}

String TSavePictureDialog::DefaultFilter() { return GraphicFilter(TGraphic::StaticClassInfo()); }

const TPropertyTable* TSavePictureDialog::PublishedProperties() {
  using P = TPublish<TSavePictureDialog>;
  using C = TSavePictureDialog;
  static const TPropertyTable table{
      P::Text(L"Filter", &C::GetFilter, &C::SetFilter).Stored(&C::IsFilterStored),
  };
  return &table;
}
