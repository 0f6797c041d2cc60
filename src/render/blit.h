// The game's pixel work: rectangle copies from the sprite sheets into the
// frame, with or without the transparent colour, the transparent blend, the
// whole-picture copy, and the two operations of the drawing surface (filling
// black, drawing a picture at an offset).
//
// All of them run many hundreds of times per frame: no allocation, no call
// per pixel, one row address per row and per bitmap.
#pragma once

#include <cstdint>

#include "render/bitmap.h"

// A rectangle whose Right and Bottom are the last column and row that belong
// to it (a 16 x 16 sprite at (x, y) is {x, y, x + 15, y + 15}).
struct TRect {
  int32_t Left;
  int32_t Top;
  int32_t Right;
  int32_t Bottom;
};

// The three rectangle operations share the game's clipping rule:
//  1. the source rectangle is cut to the source picture;
//  2. the cut rectangle is placed with its top-left at (x, y) of dst -- also
//     when the cut removed columns on the left or rows on the top, so such a
//     picture is not shifted by the amount cut off;
//  3. the placed rectangle is cut to dst.
// An intersection counts as empty when Right <= Left or Bottom <= Top, so a
// rectangle one pixel wide or high never draws, and neither does a sprite
// that keeps exactly one column or row after clipping at the frame's edge.

// Copies the clipped source rectangle.
void BlitOpaque(int32_t x, int32_t y, const TRect& srcRect, TBitmap& dst, const TBitmap& src);

// As BlitOpaque, but skips every source pixel equal to the sheet's key
// colour: the three bytes of src's top-left pixel, read once per call.
// From a TKeyedSheet the same is done through its key mask.
void BlitKeyed(int32_t x, int32_t y, const TRect& srcRect, TBitmap& dst, const TBitmap& src);
void BlitKeyed(int32_t x, int32_t y, const TRect& srcRect, TBitmap& dst, const TKeyedSheet& src);

// Mixes every non-key source pixel into dst, byte by byte:
//   dst = (src * (256 - level)) >> 8 + (dst * level) >> 8
// level 0 draws nothing; above 255 counts as 255 (which darkens dst by one).
void BlitKeyedBlend(int32_t x, int32_t y, const TRect& srcRect, TBitmap& dst, const TBitmap& src,
                    uint16_t level);
void BlitKeyedBlend(int32_t x, int32_t y, const TRect& srcRect, TBitmap& dst,
                    const TKeyedSheet& src, uint16_t level);

// Copies src into dst row by row; dst's size governs. Rows or columns that
// src does not have are left as they were.
void CopyBitmap(TBitmap& dst, const TBitmap& src);

// Fills the whole of bmp with colour 0.
void FillBlack(TBitmap& bmp);

// Draws the whole of src opaquely with its top-left at (x, y) of dst, with
// ordinary clipping at dst's edges (a single visible column still draws).
void DrawBitmapAt(TBitmap& dst, const TBitmap& src, int32_t x, int32_t y);
