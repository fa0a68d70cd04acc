// Writes the window's icon as PNG files for the desktop's icon theme, at build time:
//
//   tarvik_icon DIR SIZE...
//
// writes DIR/<SIZE>x<SIZE>/apps/tarvik.png for each SIZE, a whole multiple of 32. Larger sizes
// repeat each pixel so that the icon stays as sharp as the window's. Each file is read back and
// compared with the drawing, so a build never installs an icon that differs from the window's.
// No display is needed: the icon is painted on a QImage without an application object.

#include "window/TarvikIcon.h"

#include <QDir>
#include <QImage>
#include <QString>
#include <QVector>

#include <cstdio>

namespace {

int Fail(const QString& message) {
    std::fprintf(stderr, "tarvik_icon: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return Fail(QStringLiteral("usage: tarvik_icon DIR SIZE..."));
    const QImage icon = tarvik::DrawTarvikIcon();
    QVector<QRgb> colours(tarvik::IconPalette().begin(), tarvik::IconPalette().end());
    for (int i = 2; i < argc; ++i) {
        bool number = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&number);
        if (!number || size < icon.width() || size % icon.width() != 0)
            return Fail(QStringLiteral("%1 is not a whole multiple of %2 pixels")
                            .arg(QString::fromLocal8Bit(argv[i]))
                            .arg(icon.width()));
        const QImage scaled =
            icon.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        // The palette keeps the file to the icon's 16 colours.
        const QImage indexed =
            scaled.convertToFormat(QImage::Format_Indexed8, colours, Qt::ThresholdDither);
        const QString folder =
            QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        const QString file = folder + QStringLiteral("/tarvik.png");
        if (!QDir().mkpath(folder))
            return Fail(QStringLiteral("could not make the folder %1").arg(folder));
        if (!indexed.save(file, "PNG"))
            return Fail(QStringLiteral("could not write %1").arg(file));
        const QImage back(file);
        if (back.size() != scaled.size() || back.convertToFormat(scaled.format()) != scaled)
            return Fail(QStringLiteral("%1 does not read back as the icon").arg(file));
    }
    return 0;
}
