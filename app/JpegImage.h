#pragma once
// JPEG pictures of the forms, decoded with the IJG codec.
#include <QByteArray>
#include <QImage>

// Decodes a baseline or progressive JPEG (grey or colour); a null image when the data is not
// a JPEG the codec can read.
QImage DecodeJpeg(const QByteArray& data);

// The picture of the splash window and the about box (stored with the program).
QImage SplashPicture();
