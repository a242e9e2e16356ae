#pragma once

#include "platform/wnd.h"

// Writes a bitmap as an uncompressed 24-bit BMP file (rows bottom up, blue-green-red, each row
// padded to a multiple of four bytes). szPath is GBK, as the document keeps names. Returns 1
// when the file was written, 0 when the bitmap is null or empty, the memory for its pixels
// cannot be had, or the file cannot be created or written.
int WriteBmpFile(HBITMAP hBitmap, const char* szPath);
