#include "platform/audio/sound_cards.h"

#include <algorithm>
#include <charconv>
#include <fstream>

namespace kestrion::audio {
namespace {

constexpr std::string_view kCardPrefix = "card";

std::optional<std::uint16_t> parseHexWord(std::string_view text)
{
    unsigned value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value, 16);
    if (text.size() != 4 || error != std::errc() || ptr != end)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

std::optional<int> cardNumberOf(const std::string& folderName)
{
    if (!folderName.starts_with(kCardPrefix))
        return std::nullopt;
    std::string_view digits = std::string_view(folderName).substr(kCardPrefix.size());
    int number = 0;
    auto [ptr, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (digits.empty() || error != std::errc() || ptr != digits.data() + digits.size())
        return std::nullopt;
    return number;
}

std::string firstLine(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

bool isCardId(std::string_view id)
{
    return !id.empty() && std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
}

// By the card's id where it has one: the number changes when cards are plugged in another order.
std::string ctlNameOf(const std::filesystem::path& cardFolder, int number)
{
    const std::string id = firstLine(cardFolder / "id");
    return isCardId(id) ? "hw:CARD=" + id : "hw:" + std::to_string(number);
}

}  // namespace

std::optional<UsbId> parseUsbId(std::string_view text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.remove_suffix(1);
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    std::optional<std::uint16_t> vendor = parseHexWord(text.substr(0, colon));
    std::optional<std::uint16_t> product = parseHexWord(text.substr(colon + 1));
    if (!vendor || !product)
        return std::nullopt;
    return UsbId {*vendor, *product};
}

std::vector<SoundCard> listSoundCards(const std::filesystem::path& procAsound)
{
    std::vector<std::pair<int, SoundCard>> numbered;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(procAsound, error)) {
        std::optional<int> number = cardNumberOf(entry.path().filename().string());
        if (!number || !entry.is_directory(error))
            continue;
        numbered.push_back(
            {*number, SoundCard {ctlNameOf(entry.path(), *number), parseUsbId(firstLine(entry.path() / "usbid"))}});
    }
    std::sort(numbered.begin(), numbered.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<SoundCard> cards;
    for (auto& [number, card] : numbered)
        cards.push_back(std::move(card));
    return cards;
}

EndpointType endpointTypeOf(const SoundCard& card)
{
    if (!card.usb)
        return EndpointType::OtherCard;
    return *card.usb == kHeadsetUsbId ? EndpointType::HeadsetCard : EndpointType::UsbCard;
}

}  // namespace kestrion::audio
