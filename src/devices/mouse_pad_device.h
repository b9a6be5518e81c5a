#pragma once

#include <QString>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "devices/lighting_thread.h"
#include "devices/pad_settings.h"
#include "devices/usb_device.h"
#include "profiles/basic_profile_data.h"
#include "profiles/profile_list_store.h"

namespace kestrion {

// The lit mouse pad (wired only): its lighting page read from and written to the pad, its
// profiles, and the preview of its zones. The headset shares this HID side.
class CQuellonMousePadDevice : public CQuellonUSBDevice {
    Q_OBJECT
public:
    static constexpr std::uint16_t kSynchroniseCode = 0x0401;
    static constexpr std::uint16_t kCountedCode = 0x0404;
    static constexpr int kRereadDelayMs = 500;

    explicit CQuellonMousePadDevice(QObject* parent = nullptr);
    ~CQuellonMousePadDevice() override;

    QString controlClass() const override;
    void setModelValue(int value) override;
    void setWindowHidden(bool hidden) override;

    // Opens the profiles kept in the setup's data folder and loads the product's lighting modes;
    // once, after the setup and the model value are given and before any link.
    virtual void prepare();
    void loadLightingPreview() override;
    std::vector<std::uint32_t> previewColours() const override;
    void setKeyColour(int index, std::uint32_t colour) override;
    std::uint32_t getKeyColour(int index) const override;
    void showSyncColour(const std::optional<KeyColour>& colour) override;
    void loadProfile() override;
    ProfileListStore* profileList() const override { return m_profiles.get(); }
    const std::vector<LightModeEntry>& lightModes() const override { return m_modes; }
    int deviceKind() const override { return m_kind; }

    // A lighting record edited on the page: stored, saved, previewed and written to the pad.
    void applyLight(const LightInfo& light) override;
    std::optional<LightInfo> lightRecord() override;
    // Queues the page image to the pad as page n. Writes queued while an earlier one waits
    // become one, with the latest image; a failure on an open link is told.
    void writeSettingsPage(int page);
    // The selected profile changed: loaded, shown and written to the pad.
    void applySelectedProfile() override;

    CBasicProfiledata& profile() { return *m_record; }
    const CBasicProfiledata& profile() const { return *m_record; }
    const PadPage& pageImage() const { return m_page; }
    const std::array<std::uint8_t, pad_page::kInfoLength>& deviceInfo() const { return m_info; }
    const std::array<std::uint8_t, pad_page::kPowerLength>& powerRecord() const { return m_power; }
    const std::vector<int>& modeCodes() const { return m_modeCodes; }
    int countedNotices() const { return m_countedNotices; }

protected:
    bool lightFramesAnnounced() const override { return true; }
    // What sets a product with the pad's HID side apart: its kind, its list of modes in
    // "default_light.json", the preview step each mode plays, and its profile record.
    struct Product {
        int kind;
        int modelValue;
        std::vector<std::uint8_t> previewStepOfMode;
        std::unique_ptr<CBasicProfiledata> record;
    };
    CQuellonMousePadDevice(QObject* parent, Product product);

    // The preview's current frame, as the lighting thread last painted it.
    LightFrame previewFrame() const { return m_lighting.snapshot(); }
    void saveRecord();

    UiStep readAllOnWorker() override;
    UiStep rereadOnWorker() override;
    UiStep readPowerOnWorker() override;
    void handleNotification(LinkKind link, const std::uint8_t* report, std::size_t length) override;

private:
    LightInfo previewLightOf(LightInfo light) const;
    void startLighting();
    void pageWritten(int result);
    PadPage stagedPage();

    // Used by the worker only.
    PadSettingsLink m_link;
    // Guards the bytes the next queued write sends.
    std::mutex m_stagedLock;
    PadPage m_staged{};
    PadPage m_page{};
    std::array<std::uint8_t, pad_page::kInfoLength> m_info{};
    std::array<std::uint8_t, pad_page::kPowerLength> m_power{};
    const int m_kind;
    const std::vector<std::uint8_t> m_previewStepOfMode;
    std::unique_ptr<CBasicProfiledata> m_record;
    LightingThread m_lighting;
    bool m_lightingWanted = false;
    std::unique_ptr<ProfileListStore> m_profiles;
    // Set once by prepare, before any job runs; the worker reads it from then on.
    std::vector<int> m_modeCodes;
    std::vector<LightModeEntry> m_modes;
    std::atomic<int> m_countedNotices{0};
};

}  // namespace kestrion
