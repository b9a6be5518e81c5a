#pragma once

#include <cstddef>

#include <QColor>
#include <QObject>
#include <QString>

namespace kestrion::ui {

// A change of the main window's background: a plain colour, or an image given as a path relative
// to the skin folder (a stock image) or as an absolute path. The default image means the skin's
// own background.
struct SkinChange {
    enum class Kind { Colour, Image };
    Kind kind = Kind::Image;
    QColor colour;
    QString image;
};

// The user's background choices and their broadcast to every window that shows them, in the order
// the windows connected. Image choices are kept in "main.ini" of the data folder (section
// "SKINIMAGE": "FLAGS" 1 for a chosen image, 0 after a reset; "IMAGE" the image) and given again
// at the next start; colours last for the run only. An image of the user's own is copied, scaled
// to the window, into the data folder, so that it still shows when the original moves.
class SkinSettings : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kDefaultImage = "common/background.png";
    static constexpr const char* kFileName = "main.ini";

    explicit SkinSettings(QString dataFolder, QObject* parent = nullptr);

    void chooseStockImage(const QString& image);
    void chooseColour(const QColor& colour);
    void reset();
    // False, and nothing changes, when the file cannot be read or is not an image.
    bool chooseOwnImage(const QString& path);
    // Gives the image of the last run again, unless it was the default or is gone.
    void restore();

signals:
    void skinChanged(const kestrion::ui::SkinChange& change);

private:
    static constexpr std::size_t kMaxFileBytes = 64 * 1024;

    bool fileUsable() const;
    void store(const QString& flags, const QString& image);
    void broadcastImage(const QString& image);
    void removeOwnImagesBut(const QString& keep);

    QString m_folder;
};

}  // namespace kestrion::ui
