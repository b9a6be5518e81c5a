#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

#include "platform/timer_set.h"

class QAbstractButton;
class QStackedWidget;

namespace kestrion::ui {

struct UiResources;
class LanguageManager;

// A device's entry in the device selector, built from the skin's
// "XML\CustomControlXML\DeviceOption.xml". It carries two options: "device_select" (this device
// is the one being edited) and "synchro_device_select" (it takes part in synchronised lighting),
// the page and battery display it is bound to, and the timers that drive its device.
class CDeviceOptionUI : public QWidget {
    Q_OBJECT
public:
    using TimerHandler = std::function<void(int id)>;

    CDeviceOptionUI(const UiResources& resources, QWidget* parent = nullptr);

    // False when the skin could not build the layout or it lacks one of the two options.
    bool isBuilt() const { return m_select && m_synchro; }

    // The device object (which is also its page) this entry stands for.
    void setDevice(QWidget* device) { m_device = device; }
    QWidget* device() const { return m_device; }

    // A shown entry is an online entry.
    bool isOnline() const { return !isHidden(); }
    void setOnline(bool online) { setVisible(online); }
    // A wireless device asleep behind its receiver: still listed, dimmed, its tool tip saying
    // that changes wait for it to wake.
    void setAsleep(bool asleep);
    bool isAsleep() const { return m_asleep; }

    QAbstractButton* selectOption() const { return m_select; }
    QAbstractButton* synchroOption() const { return m_synchro; }
    bool isSelected() const;
    void setSelected(bool selected);
    bool isSynchro() const;
    void setSynchro(bool synchro);
    void showSynchroOption(bool show);

    // Entries of one group name under the same container exclude each other: selecting one
    // clears the others, and a selected one stays selected when clicked again.
    void setGroup(const QString& group);
    const QString& group() const { return m_group; }

    // Selecting "device_select" switches container to the page at index.
    void bindPage(QStackedWidget* container, int index);
    QString pageContainerName() const;
    int pageIndex() const { return m_pageIndex; }
    // The battery display's container and its index there; -1 for none.
    void bindPower(const QString& containerName, int index);
    const QString& powerContainerName() const { return m_powerContainer; }
    int powerIndex() const { return m_powerIndex; }

    // Pictures and tool tip of "device_select" by the device's kind and role; a pair without
    // pictures clears them.
    void setIcons(int kind, int role);
    // The pictures "device_select" shows now, by their names in the skin; empty for none.
    const QString& normalImage() const { return m_shownNormal; }
    const QString& selectedImage() const { return m_shownSelected; }

    // Shows the device's kind name in "device_select_name".
    void setName(const QString& name);

    // The picture control the device object provides and repaints through the entry.
    void setIconControl(QWidget* control) { m_iconControl = control; }
    QWidget* iconControl() const { return m_iconControl; }
    void repaintIcon();

    // The entry's timers; each one that fires calls the handler with its id.
    TimerSet& timers() { return m_timers; }
    void setTimerHandler(TimerHandler handler) { m_timerHandler = std::move(handler); }

private:
    void onSelectClicked();
    void onSelectToggled(bool checked);
    void clearGroupSiblings();
    void showIcons();

    const LanguageManager& m_language;
    QAbstractButton* m_select = nullptr;
    QAbstractButton* m_synchro = nullptr;
    QPointer<QWidget> m_device;
    QPointer<QWidget> m_iconControl;
    QPointer<QStackedWidget> m_pageContainer;
    int m_pageIndex = -1;
    QString m_powerContainer;
    int m_powerIndex = -1;
    QString m_group;
    QString m_normal, m_selected, m_synchroNormal, m_synchroSelected;
    QString m_shownNormal, m_shownSelected;
    TimerHandler m_timerHandler;
    TimerSet m_timers;
    bool m_asleep = false;
};

}  // namespace kestrion::ui
