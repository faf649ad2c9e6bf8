#pragma once
// The icon design (ui/app_icon.h) painted with QPainter.

class QPainter;

// Draws the application icon: the 256-unit design scaled to size x size pixels from the
// painter's current origin. Leaves the painter's transform scaled and antialiasing on;
// callers that keep drawing save and restore the painter around the call.
void drawAppIcon(QPainter& painter, int size);
