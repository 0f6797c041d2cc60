// Picture files: the header check and SDL's BMP reader behind it. Whatever
// the bytes, a decode either fails leaving the picture empty or gives a
// picture of the header's size within the limits, every byte of it readable.
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "platform/picture_loader.h"
#include "render/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TBitmap picture;
  std::string headerError;
  std::string error;
  const bool headerOk = CheckBmpHeader(data, size, &headerError);
  const bool decoded = DecodePicture(data, size, picture, &error);
  if (!decoded) {
    FUZZ_CHECK(picture.Empty() && picture.ByteSize() == 0);
    FUZZ_CHECK(!error.empty());
    return 0;
  }
  FUZZ_CHECK(headerOk);
  FUZZ_CHECK(picture.Width() >= 1 && picture.Width() <= kPictureMaxSide);
  FUZZ_CHECK(picture.Height() >= 1 && picture.Height() <= kPictureMaxSide);
  FUZZ_CHECK(picture.ByteSize() == size_t(picture.Width()) * size_t(picture.Height()) * 3);
  // Touch the first and last byte of every row.
  unsigned sum = 0;
  for (int32_t y = 0; y < picture.Height(); y++) {
    sum += picture.Row(y)[0] + picture.Row(y)[picture.Stride() - 1];
  }
  return sum == 0xFFFFFFFFu;
}
