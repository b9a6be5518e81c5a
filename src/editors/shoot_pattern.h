#pragma once

#include <json/value.h>
#include <string>
#include <vector>

namespace kestrion {

// Recoil-compensation patterns ("guns"): each bullet is a left click, then a small pointer move
// and a pause, kept as six macro events in the "Events" array of a pattern file.
inline constexpr int kShootGuns = 4;
inline constexpr int kBulletsPerGun = 30;
inline constexpr int kEventsPerBullet = 6;
inline constexpr int kMaxBulletDistance = 255;
inline constexpr int kMaxBulletDelay = 65535;

// One bullet: the move (left or right by x, up or down by y) and the pause after it in ms.
struct Bullet {
    int x = 0;
    bool left = false;
    int y = 0;
    bool up = false;
    int delay = 0;
    bool operator==(const Bullet&) const = default;
};

// A document with an "Events" array.
bool isShootPattern(const Json::Value& document);
// Whole bullets the document holds, at most kBulletsPerGun.
int bulletCount(const Json::Value& document);
// Bullet b as stored; missing events read as a move of 0 to the right and down with no pause.
Bullet readBullet(const Json::Value& document, int bullet);
// The document's bullets, in order.
std::vector<Bullet> readBullets(const Json::Value& document);
// Writes the six events of bullet b (values limited to what the mouse takes). Bullets before it
// that the document lacks become still bullets; other members of the events and of the document
// stay as they are.
void writeBullet(Json::Value& document, int bullet, const Bullet& value);

// The four "ShootData_<gun>.Shoot" files of a device folder and their factory copies.
class ShootPatternFiles {
public:
    enum class ImportResult { Imported, Unreadable, NotAPattern, WriteFailed };

    ShootPatternFiles(std::string dataFolder, std::string factoryFolder);

    std::string path(int gun) const;
    std::string factoryPath(int gun) const;

    // The user's pattern, or the factory copy when the user's file is missing or damaged (the
    // damaged file itself is left as it is); `fromFactory` tells which.
    Json::Value load(int gun, bool* fromFactory = nullptr) const;
    // Gives every gun without a file its factory copy; damaged files stay for the user to decide.
    void createMissing() const;
    // Writes one bullet into the pattern as load() gives it; false when the file was not replaced.
    bool saveBullet(int gun, int bullet, const Bullet& value) const;
    // The factory copy, byte for byte, over the user's file.
    bool reset(int gun) const;
    // A pattern file, byte for byte, over the gun's file; anything that is no pattern is refused
    // and the gun's file stays as it was.
    ImportResult importFrom(int gun, const std::string& source) const;
    // The pattern as load() gives it, byte for byte, to target.
    bool exportTo(int gun, const std::string& target) const;

private:
    std::string m_folder;
    std::string m_factory;
};

}  // namespace kestrion
