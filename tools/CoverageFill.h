#pragma once
// Rectangles of one colour laid over an image of premultiplied ARGB pixels as an antialiased
// painter fills them: each pixel takes the colour in the share of its area that the rectangle
// covers (whole pixels when not antialiased). The trace chart fills its strips' bands this way,
// several times faster than the painter's own rasterizer does for so many small rectangles.
#include <QImage>
#include <QRectF>

// Lays r (in the image's pixels) over image, Format_ARGB32_Premultiplied, with colour
// (premultiplied, as qPremultiply gives it). No painter may be active on the image.
void FillCovered(QImage& image, QRectF r, QRgb colour, bool antialiased);
