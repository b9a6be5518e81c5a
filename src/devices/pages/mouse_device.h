#pragma once

#include <QString>

#include <memory>
#include <vector>

#include "devices/lighting_thread.h"
#include "devices/mouse_settings.h"
#include "devices/pages/usb_device.h"
#include "profiles/mouse_profile_data.h"
#include "profiles/profile_list_store.h"

class QAbstractButton;

namespace kestrion::ui {
class CDeviceProfileUI;
}
class QComboBox;
class QLineEdit;
class QSlider;

namespace kestrion {

// The Z880-ZIR mouse, by cable or through its receiver: reads its information block, key table
// and settings page, shows them on its page, writes the page's settings back and follows the
// mouse's own profile and DPI-stage changes.
class CQuellonMouseDevice : public CQuellonUSBDevice {
    Q_OBJECT
public:
    static constexpr int kStageRows = 7;

    explicit CQuellonMouseDevice(QWidget* parent = nullptr);
    ~CQuellonMouseDevice() override;

    QString controlClass() const override;
    void setModelValue(int value) override;
    void setWindowHidden(bool hidden) override;

    void initPage() override;
    void loadLightingPreview() override;
    void setKeyColour(int index, std::uint32_t colour) override;
    std::uint32_t getKeyColour(int index) const override;
    void readAll() override;
    void rereadSettings() override;
    void readPowerStatus() override;
    bool isLinkAlive() override;
    int keepAliveMinutes() override;
    void loadProfile() override;
    void refreshPage() override;
    // The factory settings into the record, saved, shown.
    void reloadProfile();

    // Reads the page's settings controls back into the profile record.
    void collectPage();
    // Writes the record as settings page n; 1 when sent, 0 when the mouse is unreachable.
    int writeSettingsPage(int page, std::uint8_t byte0);
    // Marks the device initialised and starts the first read; 1 on success.
    int writeDeviceInfoAndStart();
    // Macro names, light modes and custom lighting names for the page's editors.
    void fillPageLists();

    int dpiFromSlider(int slider) const;
    int sliderFromDpi(int dpi) const;
    // Makes stage n the current one on the page (its select box alone ticked).
    void selectStage(int stage);
    // A DPI typed into stage row n's edit box: limited, moved onto the slider, shown converted.
    void applyDpiEdit(int stage);

    // The profile selector on the page, when the skin has one.
    ui::CDeviceProfileUI* profileSelector() const;
    // The selected profile changed (switched, added, deleted, reset): it is loaded, shown and
    // written to the device.
    void applySelectedProfile();

    CMouseProfiledata& profile() { return m_record; }
    ProfileListStore* profileList() const { return m_profiles.get(); }
    const MouseSettingsLink& settingsLink() const { return m_settings; }
    const std::vector<int>& modeCodes() const { return m_modeCodes; }
    const std::vector<QString>& modeNames() const { return m_modeNames; }
    const std::vector<QString>& macroNames() const { return m_macroNames; }
    const PowerRecord& powerRecord() const { return m_power; }
    const LightingThread& lighting() const { return m_lighting; }

protected:
    void handleNotification(LinkKind link, const std::uint8_t* report, std::size_t length) override;

private:
    struct StageRow {
        QSlider* slider = nullptr;
        QLineEdit* edit = nullptr;
        QAbstractButton* enable = nullptr;
        QAbstractButton* select = nullptr;
        QWidget* colour = nullptr;
    };

    void bindControls();
    void openFirstTab(ui::CDeviceProfileUI& selector);
    void applyNotification(const MouseNotification& notification);
    void applySliderRanges();
    void showStages();
    void showDpi(int stage);
    void showSystemSettings(const MouseSystemStages& system);
    void collectStages();
    void collectSystemSettings(MouseSystemStages& system);
    void selectSubPage(int index);
    void loadLightModes();
    void loadCustomLightNames();
    void loadMacroNames();
    template <typename T>
    T* control(const QString& name) const;

    MouseSettingsLink m_settings;
    CMouseProfiledata m_record;
    LightingThread m_lighting;
    bool m_lightingWanted = false;
    std::unique_ptr<ProfileListStore> m_profiles;
    PowerRecord m_power;
    std::array<StageRow, kStageRows> m_stages;
    std::vector<int> m_modeCodes;
    std::vector<QString> m_modeNames;
    std::vector<bool> m_modeVisible;
    std::vector<QString> m_areaNames;
    std::vector<QString> m_customLightNames;
    std::vector<QString> m_macroNames;
};

}  // namespace kestrion
