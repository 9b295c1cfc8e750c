// Draws the picture of the splash window and the about box and writes it as a JPEG.
// Build and run once (the result is kept in resources/splash.jpg):
//   g++ -std=c++20 -fPIC scripts/make_splash_picture.cpp $(pkg-config --cflags --libs Qt6Gui) \
//       -ljpeg -o /tmp/make_splash && QT_QPA_PLATFORM=offscreen /tmp/make_splash resources/splash.jpg
#include <jpeglib.h>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

static bool WriteJpeg(const QImage& picture, const char* path) {
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
  FILE* out = std::fopen(path, "wb");
  if (!out) return false;
  jpeg_compress_struct info;
  jpeg_error_mgr err;
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, out);
  info.image_width = static_cast<JDIMENSION>(rgb.width());
  info.image_height = static_cast<JDIMENSION>(rgb.height());
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 88, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<uchar*>(rgb.constScanLine(static_cast<int>(info.next_scanline)));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return std::fclose(out) == 0;
}

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc < 2) return 2;
  const int w = 480, h = 300;
  QImage img(w, h, QImage::Format_RGB32);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, h);
  sky.setColorAt(0.0, QColor(0, 96, 112));
  sky.setColorAt(1.0, QColor(0, 40, 56));
  p.fillRect(img.rect(), sky);
  // A blue gas flame over a burner ring.
  QPainterPath flame;
  flame.moveTo(96, 200);
  flame.cubicTo(40, 150, 90, 110, 96, 50);
  flame.cubicTo(130, 100, 150, 150, 96, 200);
  QLinearGradient blue(96, 50, 96, 200);
  blue.setColorAt(0.0, QColor(150, 230, 255));
  blue.setColorAt(1.0, QColor(20, 90, 230));
  p.fillPath(flame, blue);
  QPainterPath core;
  core.moveTo(96, 195);
  core.cubicTo(75, 170, 92, 140, 96, 115);
  core.cubicTo(110, 145, 115, 170, 96, 195);
  p.fillPath(core, QColor(235, 250, 255));
  p.setPen(QPen(QColor(200, 200, 200), 6));
  p.drawLine(50, 212, 142, 212);
  // Name and line of the product.
  p.setPen(Qt::white);
  QFont big(QStringLiteral("DejaVu Sans"), 46, QFont::Bold);
  p.setFont(big);
  p.drawText(QRect(170, 60, 300, 70), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("TARN"));
  QFont mid(QStringLiteral("DejaVu Sans"), 15);
  p.setFont(mid);
  p.drawText(QRect(170, 130, 300, 30), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Nimbo XXI Injection System"));
  p.setPen(QColor(255, 210, 0));
  p.drawLine(170, 168, 450, 168);
  QFont small(QStringLiteral("DejaVu Sans"), 10);
  p.setFont(small);
  p.setPen(QColor(200, 230, 235));
  p.drawText(QRect(170, 176, 300, 40), Qt::AlignLeft | Qt::TextWordWrap,
             QStringLiteral("Iniezione sequenziale GPL e Metano"));
  p.end();
  return WriteJpeg(img, argv[1]) ? 0 : 1;
}
