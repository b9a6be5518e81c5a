#include "ui/power_display.h"

#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>

#include <array>

#include "ui/language_manager.h"
#include "ui/message_box.h"
#include "ui/power_record.h"
#include "ui/skin.h"

namespace kestrion::ui {

namespace {

constexpr const char* kLayout = "XML\\CustomControlXML\\MpDevicePower.xml";
constexpr const char* kClassName = "MpDevicePower";

constexpr const char* kValue = "device_power_value";
constexpr const char* kWireless = "device_wuxian_logo";
constexpr const char* kStatus = "device_power_status";
constexpr const char* kProgress = "device_Power_progress";
constexpr const char* kPhone = "device_phone_type";
constexpr const char* kGroup = "device_power_Layout";

// The picture's name from the skin is kept on the control, so that a reader sees which one shows.
constexpr const char* kImageProperty = "imageFile";
constexpr const char* kToolTipId = "toolTipId";

constexpr std::array kNeededParts{kValue, kWireless, kStatus, kProgress, kPhone};

constexpr int kKindMousePad = 3;

}  // namespace

CMpDevicePowerUI::CMpDevicePowerUI(const UiResources& resources, QWidget* parent)
    : QWidget(parent), m_language(resources.language)
{
    setProperty("controlClass", QString::fromLatin1(kClassName));
    QWidget* root = resources.skin.buildInto(kLayout, resources.factory, *this);
    if (!root)
        return;
    m_language.apply(root);
    m_built = true;
}

QWidget* CMpDevicePowerUI::part(const char* name) const
{
    return findChild<QWidget*>(QString::fromLatin1(name));
}

bool CMpDevicePowerUI::hasEveryPart() const
{
    for (const char* name : kNeededParts) {
        if (!part(name))
            return false;
    }
    return true;
}

void CMpDevicePowerUI::setKind(int kind, int role)
{
    m_kind = kind;
    m_role = role;
    if (QWidget* phone = part(kPhone))
        phone->setVisible(kind == kKindMousePad);
}

void CMpDevicePowerUI::showWireless(bool wireless)
{
    if (QWidget* group = part(kGroup))
        group->setVisible(wireless);
}

void CMpDevicePowerUI::showPicture(QWidget* control, const std::string& image) const
{
    const QString name = QString::fromStdString(image);
    control->setProperty(kImageProperty, name);
    if (auto* label = qobject_cast<QLabel*>(control))
        label->setPixmap(QPixmap(QStringLiteral("skin:images/") + name));
}

void CMpDevicePowerUI::showPowerRecord(std::span<const std::uint8_t> record)
{
    if (!hasEveryPart())
        return;
    const PowerView view = decodePowerRecord(record, m_kind);
    if (auto* bar = qobject_cast<QProgressBar*>(part(kProgress)))
        bar->setValue(view.usedPart);
    part(kProgress)->show();
    if (auto* value = qobject_cast<QLabel*>(part(kValue)))
        LanguageManager::setLiteralText(value, QString::fromStdString(view.valueText));
    if (view.wirelessSymbol)
        part(kWireless)->setVisible(*view.wirelessSymbol);
    if (view.statusImage)
        showPicture(part(kStatus), *view.statusImage);
    if (view.phone) {
        QWidget* phone = part(kPhone);
        showPicture(phone, view.phone->image);
        phone->setProperty(kToolTipId, QString::fromStdString(view.phone->toolTipId));
        m_language.apply(phone);
    }
    emit recordShown(view.percent, view.onBattery);
}

void CMpDevicePowerUI::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit activated();
    QWidget::mouseReleaseEvent(event);
}

}  // namespace kestrion::ui
