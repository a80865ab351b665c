// generate_artwork <resources folder>: redraws the dial face, the digit strip, the
// window icon and the tick sound into images/ and sounds/ of that folder.
#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>
#include <stdexcept>

#include "resources/artwork.h"
#include "resources/generator/artwork_generator.h"

namespace {

using namespace tovira::artwork;

void Save(const QImage& image, const QString& path) {
  if (!image.save(path, "PNG")) {
    throw std::runtime_error("cannot write " + path.toStdString());
  }
}

void Save(const QByteArray& bytes, const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
    throw std::runtime_error("cannot write " + path.toStdString());
  }
}

void GenerateAll(const QDir& resources) {
  RequireLetteringFont();
  if (!resources.mkpath("images") || !resources.mkpath("sounds")) {
    throw std::runtime_error("cannot create the output folders");
  }
  const QString images = resources.filePath("images/");
  Save(DrawDialFace(1), images + "dial_face.png");
  Save(DrawDialFace(2), images + "dial_face@2x.png");
  Save(DrawDigitStrip(1), images + "digits.png");
  Save(DrawDigitStrip(2), images + "digits@2x.png");
  for (int size : tovira::kWindowIconSizes) {
    Save(DrawWindowIcon(size), images + QStringLiteral("icon_%1.png").arg(size));
  }
  Save(MakeTickWave(), resources.filePath("sounds/tick.wav"));
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: generate_artwork <resources folder>\n");
    return 2;
  }
  try {
    GenerateAll(QDir(QString::fromLocal8Bit(argv[1])));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "generate_artwork: %s\n", e.what());
    return 1;
  }
  return 0;
}
