// Test support: image lists of solid squares, one colour each, for checking which image a
// control or menu item shows.
#pragma once
#include <initializer_list>

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/ImageList.h"

namespace control_tests {

// Sets images to size × size and adds one square of each colour, in order.
inline void AddSolidImages(TCustomImageList& images, int size, std::initializer_list<TColor> colours) {
  images.SetWidth(size);
  images.SetHeight(size);
  for (TColor colour : colours) {
    TBitmap picture;
    picture.SetSize(size, size);
    picture.GetCanvas()->GetBrush()->SetColor(colour);
    picture.GetCanvas()->FillRect(Rect(0, 0, size, size));
    images.Add(&picture, nullptr);
  }
}

}  // namespace control_tests
