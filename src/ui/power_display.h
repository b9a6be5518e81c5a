#pragma once

#include <QWidget>

#include <cstdint>
#include <span>

class QLabel;

namespace kestrion::ui {

struct UiResources;
class LanguageManager;

// A device's battery display (control class "MpDevicePower"), built from the skin's
// "XML\CustomControlXML\MpDevicePower.xml". The device object hands it every power record it
// reads; the device selector shows the display of the selected device.
class CMpDevicePowerUI : public QWidget {
    Q_OBJECT
public:
    CMpDevicePowerUI(const UiResources& resources, QWidget* parent = nullptr);

    // False when the skin could not build the layout; the display then shows nothing.
    bool isBuilt() const { return m_built; }

    // The phone picture belongs to mouse pads only and is hidden for every other kind.
    void setKind(int kind, int role);
    int kind() const { return m_kind; }
    int role() const { return m_role; }

    // Shows the battery group "device_power_Layout" only for a wireless device.
    void showWireless(bool wireless);
    // Updates the picture from a power record; nothing changes unless the layout has every
    // control the picture needs.
    void showPowerRecord(std::span<const std::uint8_t> record);

signals:
    // A click on the display; the main window raises "selectchanged" for it.
    void activated();
    // A record was shown: its percent (at most 100) and whether the device runs on its battery.
    void recordShown(int percent, bool onBattery);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QWidget* part(const char* name) const;
    bool hasEveryPart() const;
    void showPicture(QWidget* control, const std::string& image) const;

    const LanguageManager& m_language;
    bool m_built = false;
    int m_kind = 0;
    int m_role = 0;
};

}  // namespace kestrion::ui
