#pragma once
// The icon design (ui/app_icon.h) painted with GDI+.
#include <windows.h>
#include <objidl.h>  // before gdiplus.h, which uses IStream without including it
#include <gdiplus.h>

// Draws the application icon: the 256-unit design scaled to size x size pixels from the
// graphics object's current origin (the scale is prepended to its transform, so a
// caller's translation places the icon). Leaves the transform scaled and smoothing on
// anti-alias; callers that keep drawing save and restore the graphics state around it.
// A failing GDI+ call leaves its status on its object and drawing goes on.
void drawAppIcon(Gdiplus::Graphics& graphics, int size);
