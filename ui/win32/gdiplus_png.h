#pragma once
// A GDI+ bitmap as PNG bytes, made by GDI+'s own PNG encoder. GDI+ must be running.
#include <windows.h>
#include <objidl.h>  // before gdiplus.h, which uses IStream without including it
#include <gdiplus.h>

#include <cstdint>
#include <vector>

// The class id of the encoder whose MIME type is exactly "image/png" (the last one when
// several are); false when GDI+ offers none.
bool findPngEncoder(CLSID& encoder);

// Empty when there is no PNG encoder or saving fails.
std::vector<uint8_t> encodePng(Gdiplus::Bitmap& bitmap);
