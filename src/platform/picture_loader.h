// Reading picture files into the game's 24-bit bitmaps (SDL2's BMP loader,
// used without video or audio initialisation).
#pragma once

class TBitmap;

// Reads the BMP file at path (any colour depth SDL can read) into `into`,
// converted to 24 bits, blue-green-red. Returns true on success. Returns
// false, leaving `into` empty, when the file is missing, is not a readable
// picture, or is implausibly large (it is then counted as missing).
bool LoadPictureFile(const char* path, TBitmap& into);
