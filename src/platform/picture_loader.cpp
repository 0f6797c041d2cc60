// TEMPORARY until the platform layer lands: reads nothing.
#include "platform/picture_loader.h"

#include "render/bitmap.h"

bool LoadPictureFile(const char*, TBitmap& into) {
  into.Clear();
  return false;
}
