// Build tool: renders the program's SVG icon as the PNG sizes of the hicolor theme.
//   render_icon <icon.svg> <output folder> <size>...  writes <folder>/<size>x<size>.png
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: render_icon <icon.svg> <output folder> <size>...\n");
    return 2;
  }
  QSvgRenderer svg{QString::fromLocal8Bit(argv[1])};
  if (!svg.isValid()) {
    std::fprintf(stderr, "render_icon: %s is not a valid SVG file\n", argv[1]);
    return 1;
  }
  const QString folder = QString::fromLocal8Bit(argv[2]);
  for (int i = 3; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size <= 0 || size > 1024) {
      std::fprintf(stderr, "render_icon: bad size %s\n", argv[i]);
      return 2;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
      QPainter painter(&image);
      painter.setRenderHint(QPainter::Antialiasing);
      svg.render(&painter);
    }
    const QString file = QString("%1/%2x%2.png").arg(folder).arg(size);
    if (!image.save(file, "PNG")) {
      std::fprintf(stderr, "render_icon: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
