// The "Data" blocks stored layouts keep of graphics and pictures (Glyph.Data, Picture.Data).
#include "../classes/Filer.h"
#include "Graphic.h"

void TGraphic::DefineProperties(TFiler& filer) {
  bool hasData = !GetEmpty();
  if (TPersistent* ancestor = filer.GetAncestor()) {
    auto* graphic = dynamic_cast<TGraphic*>(ancestor);
    hasData = !graphic || !Equals(graphic);
  }
  filer.DefineBinaryProperty(
      L"Data", [this](TStream& stream) { ReadData(stream); },
      [this](TStream& stream) { WriteData(stream); }, hasData);
}

void TPicture::DefineProperties(TFiler& filer) {
  bool hasData = HasData();
  if (TPersistent* ancestor = filer.GetAncestor()) {
    hasData = true;
    if (auto* picture = dynamic_cast<TPicture*>(ancestor)) {
      TGraphic* mine = GetGraphic();
      TGraphic* theirs = picture->GetGraphic();
      hasData = !(mine == theirs || (mine && theirs && mine->Equals(theirs)));
    }
  }
  filer.DefineBinaryProperty(
      L"Data", [this](TStream& stream) { ReadPictureData(stream); },
      [this](TStream& stream) { WritePictureData(stream); }, hasData);
}
