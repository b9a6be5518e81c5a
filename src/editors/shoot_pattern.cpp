#include "editors/shoot_pattern.h"

#include <algorithm>
#include <filesystem>

#include "platform/atomic_file.h"
#include "platform/json_access.h"
#include "profiles/json_file.h"

namespace kestrion {
namespace {

constexpr const char* kEvents = "Events";
constexpr const char* kPressed = "down";
constexpr const char* kReleased = "up";
constexpr int kLeftButton = 0x01;
constexpr int kClickDelay = 10;
constexpr int kMoveDelay = 5;
constexpr int kButtonType = 1;
constexpr int kMoveXType = 4;
constexpr int kMoveYType = 5;

// The positions of a bullet's events, counted from its first.
namespace at {
constexpr int kPress = 0;
constexpr int kRelease = 1;
constexpr int kMoveX = 2;
constexpr int kMoveY = 3;
constexpr int kEndX = 4;
constexpr int kEndY = 5;
}  // namespace at

struct EventFields {
    const char* action;
    int button;
    int delay;
    int type;
};

const Json::Value& eventAt(const Json::Value& document, int index)
{
    return elementOf(memberOf(document, kEvents), static_cast<Json::ArrayIndex>(index));
}

void putEvent(Json::Value& events, int index, const EventFields& fields)
{
    Json::Value& event = objectElement(events, static_cast<Json::ArrayIndex>(index));
    event["Action"] = fields.action;
    event["Button"] = fields.button;
    event["Delay"] = fields.delay;
    event["Type"] = fields.type;
}

void putBullet(Json::Value& events, int bullet, const Bullet& value)
{
    const int first = bullet * kEventsPerBullet;
    // Moves to the left and up are the pressed direction, as for pointer moves in macros.
    const char* xDirection = value.left ? kPressed : kReleased;
    const char* yDirection = value.up ? kPressed : kReleased;
    const int x = std::clamp(value.x, 0, kMaxBulletDistance);
    const int y = std::clamp(value.y, 0, kMaxBulletDistance);
    const int delay = std::clamp(value.delay, 0, kMaxBulletDelay);
    putEvent(events, first + at::kPress, {kPressed, kLeftButton, kClickDelay, kButtonType});
    putEvent(events, first + at::kRelease, {kReleased, kLeftButton, 0, kButtonType});
    putEvent(events, first + at::kMoveX, {xDirection, x, kMoveDelay, kMoveXType});
    putEvent(events, first + at::kMoveY, {yDirection, y, delay, kMoveYType});
    putEvent(events, first + at::kEndX, {xDirection, 0, 0, kMoveXType});
    putEvent(events, first + at::kEndY, {yDirection, 0, 0, kMoveYType});
}

int clampedField(const Json::Value& event, const char* key, int highest)
{
    return static_cast<int>(std::clamp<std::int64_t>(integerOf(memberOf(event, key)), 0, highest));
}

std::string fileName(int gun)
{
    return "ShootData_" + std::to_string(gun) + ".Shoot";
}

}  // namespace

bool isShootPattern(const Json::Value& document)
{
    return document.isObject() && arraySection(document, kEvents) != nullptr;
}

int bulletCount(const Json::Value& document)
{
    const Json::Value* events = isShootPattern(document) ? arraySection(document, kEvents) : nullptr;
    return events ? std::min(static_cast<int>(events->size()) / kEventsPerBullet, kBulletsPerGun) : 0;
}

Bullet readBullet(const Json::Value& document, int bullet)
{
    const int first = bullet * kEventsPerBullet;
    const Json::Value& moveX = eventAt(document, first + at::kMoveX);
    const Json::Value& moveY = eventAt(document, first + at::kMoveY);
    Bullet value;
    value.left = textOf(memberOf(moveX, "Action")) == kPressed;
    value.x = clampedField(moveX, "Button", kMaxBulletDistance);
    value.up = textOf(memberOf(moveY, "Action")) == kPressed;
    value.y = clampedField(moveY, "Button", kMaxBulletDistance);
    value.delay = clampedField(moveY, "Delay", kMaxBulletDelay);
    return value;
}

std::vector<Bullet> readBullets(const Json::Value& document)
{
    std::vector<Bullet> bullets;
    for (int b = 0; b < bulletCount(document); ++b)
        bullets.push_back(readBullet(document, b));
    return bullets;
}

void writeBullet(Json::Value& document, int bullet, const Bullet& value)
{
    if (bullet < 0 || bullet >= kBulletsPerGun)
        return;
    Json::Value& events = arraySlot(document, kEvents);
    for (int b = bulletCount(document); b < bullet; ++b)
        putBullet(events, b, Bullet{});
    putBullet(events, bullet, value);
}

ShootPatternFiles::ShootPatternFiles(std::string dataFolder, std::string factoryFolder)
    : m_folder(std::move(dataFolder)), m_factory(std::move(factoryFolder))
{
}

std::string ShootPatternFiles::path(int gun) const
{
    return m_folder + "/" + fileName(gun);
}

std::string ShootPatternFiles::factoryPath(int gun) const
{
    return m_factory + "/" + fileName(gun);
}

Json::Value ShootPatternFiles::load(int gun, bool* fromFactory) const
{
    Json::Value document = LoadJsonFile(path(gun));
    const bool own = isShootPattern(document);
    if (fromFactory)
        *fromFactory = !own;
    return own ? document : LoadJsonFile(factoryPath(gun));
}

void ShootPatternFiles::createMissing() const
{
    for (int gun = 0; gun < kShootGuns; ++gun) {
        std::error_code error;
        if (!std::filesystem::exists(path(gun), error) && !error)
            reset(gun);
    }
}

bool ShootPatternFiles::saveBullet(int gun, int bullet, const Bullet& value) const
{
    Json::Value document = load(gun);
    writeBullet(document, bullet, value);
    return SaveJsonFile(document, path(gun));
}

// A missing factory copy leaves an empty pattern, whose bullets read as zeros.
bool ShootPatternFiles::reset(int gun) const
{
    return writeFileAtomically(path(gun), readjsonFile(factoryPath(gun)));
}

ShootPatternFiles::ImportResult ShootPatternFiles::importFrom(int gun, const std::string& source) const
{
    const std::string bytes = readjsonFile(source);
    if (bytes.empty())
        return ImportResult::Unreadable;
    if (!isShootPattern(parseJsonText(bytes)))
        return ImportResult::NotAPattern;
    return writeFileAtomically(path(gun), bytes) ? ImportResult::Imported : ImportResult::WriteFailed;
}

bool ShootPatternFiles::exportTo(int gun, const std::string& target) const
{
    bool fromFactory = false;
    load(gun, &fromFactory);
    const std::string bytes = readjsonFile(fromFactory ? factoryPath(gun) : path(gun));
    return !bytes.empty() && writeFileAtomically(target, bytes);
}

}  // namespace kestrion
