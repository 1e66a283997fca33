// Renders an SVG picture to a square PNG: svg2png IN.svg SIZE OUT.png
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char **argv) {
  QGuiApplication app(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: svg2png IN.svg SIZE OUT.png\n");
    return 2;
  }
  QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
  const int size = QString::fromLocal8Bit(argv[2]).toInt();
  if (!svg.isValid() || size <= 0) return 1;
  QImage img(size, size, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  svg.render(&p);
  p.end();
  return img.save(QString::fromLocal8Bit(argv[3])) ? 0 : 1;
}
