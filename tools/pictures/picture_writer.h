#pragma once

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cstdio>
#include <functional>
#include <span>

namespace kestrion::ui {

// One picture of the skin: its file below the images folder, its size and how it is drawn.
struct Picture {
    QString file;
    QSize size;
    std::function<void(QPainter&, QSizeF)> draw;
};

// The main() of a picture generator: `program <images folder>` draws every picture into that
// folder, at `oversample` times its size scaled down for smooth thin lines.
inline int writePictures(int argc, char** argv, std::span<const Picture> pictures, int oversample)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <images folder>\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (const Picture& picture : pictures) {
        QImage image(picture.size * oversample, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(oversample, oversample);
        picture.draw(painter, QSizeF(picture.size));
        painter.end();
        const QString path = folder + "/" + picture.file;
        QDir().mkpath(QFileInfo(path).absolutePath());
        const QImage scaled = oversample == 1
            ? image
            : image.scaled(picture.size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (!scaled.save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}

}  // namespace kestrion::ui
