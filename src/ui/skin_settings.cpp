#include "ui/skin_settings.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QSaveFile>
#include <QSettings>

#include "platform/file_read.h"

namespace kestrion::ui {

namespace {

constexpr const char* kFlagsKey = "SKINIMAGE/FLAGS";
constexpr const char* kImageKey = "SKINIMAGE/IMAGE";
constexpr const char* kChosen = "1";
constexpr const char* kDefault = "0";
constexpr const char* kOwnImagePrefix = "skin_own_";
constexpr const char* kOwnImageSuffix = ".png";
// A larger file is no background picture; reading it would only cost memory.
constexpr qint64 kMaxImageFileBytes = 64 * 1024 * 1024;
// The main window's size; a larger copy would only be scaled down again at every paint.
constexpr QSize kWindowSize{800, 572};

// The picture in a regular file (a FIFO would block the reader), or a null image.
QImage readImage(const QString& path)
{
    const QFileInfo file(path);
    if (!file.isFile() || file.size() > kMaxImageFileBytes)
        return {};
    QImageReader reader(path);
    return reader.read();
}

bool savePicture(const QImage& image, const QString& path)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit();
}

}  // namespace

SkinSettings::SkinSettings(QString dataFolder, QObject* parent) : QObject(parent), m_folder(std::move(dataFolder)) {}

void SkinSettings::chooseStockImage(const QString& image)
{
    store(kChosen, image);
    broadcastImage(image);
}

void SkinSettings::chooseColour(const QColor& colour)
{
    emit skinChanged({SkinChange::Kind::Colour, colour, QString()});
}

void SkinSettings::reset()
{
    store(kDefault, kDefaultImage);
    broadcastImage(kDefaultImage);
}

bool SkinSettings::chooseOwnImage(const QString& path)
{
    const QImage image = readImage(path);
    if (image.isNull())
        return false;
    const QImage scaled = image.scaled(kWindowSize, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    // A new name each time: the window's style caches pictures by their path.
    const QString copy = m_folder + "/" + kOwnImagePrefix + QString::number(QDateTime::currentMSecsSinceEpoch())
        + kOwnImageSuffix;
    QDir().mkpath(m_folder);
    if (!savePicture(scaled, copy))
        return false;
    removeOwnImagesBut(copy);
    store(kChosen, copy);
    broadcastImage(copy);
    return true;
}

void SkinSettings::restore()
{
    if (!fileUsable())
        return;
    const QSettings file(m_folder + "/" + kFileName, QSettings::IniFormat);
    const QString image = file.value(kImageKey).toString();
    if (file.value(kFlagsKey).toString() != QLatin1String(kChosen) || image.isEmpty())
        return;
    if (QFileInfo(image).isAbsolute() && readImage(image).isNull())
        return;
    broadcastImage(image);
}

void SkinSettings::store(const QString& flags, const QString& image)
{
    QDir().mkpath(m_folder);
    if (!fileUsable())
        return;
    QSettings file(m_folder + "/" + kFileName, QSettings::IniFormat);
    file.setValue(kFlagsKey, flags);
    file.setValue(kImageKey, image);
    file.sync();
}

// Something else in the file's place (a FIFO, a device, a huge file) is left alone: the choice
// then lasts until the tool ends.
bool SkinSettings::fileUsable() const
{
    return safeToOpen((m_folder + "/" + kFileName).toStdString(), kMaxFileBytes);
}

void SkinSettings::broadcastImage(const QString& image)
{
    emit skinChanged({SkinChange::Kind::Image, QColor(), image});
}

void SkinSettings::removeOwnImagesBut(const QString& keep)
{
    const QDir folder(m_folder);
    const QString pattern = QString::fromLatin1(kOwnImagePrefix) + "*" + kOwnImageSuffix;
    for (const QFileInfo& old : folder.entryInfoList({pattern}, QDir::Files)) {
        if (old.absoluteFilePath() != QFileInfo(keep).absoluteFilePath())
            QFile::remove(old.absoluteFilePath());
    }
}

}  // namespace kestrion::ui
