#include "ui/control_factory.h"

#include <QCoreApplication>
#include <QDir>

#include <array>

#include "ui/audio_record.h"
#include "ui/chart_view.h"
#include "ui/circle_progress.h"
#include "ui/colour_palette.h"
#include "ui/device_key_button.h"
#include "ui/device_profile.h"
#include "ui/hand_img_button.h"
#include "ui/hand_img_select_button.h"
#include "ui/light_control.h"
#include "ui/page_combo_box.h"
#include "ui/redio_macro_button.h"
#include "ui/select_panel.h"
#include "ui/shoot_control.h"
#include "ui/shoot_pattern_view.h"
#include "ui/skin.h"
#include "ui/wnd_host.h"

namespace kestrion::ui {

namespace {

struct OwnControl {
    const char* key;        // lower-case element or registered class name
    const char* className;  // the class name the page code looks for
};

// Controls built here today; the other element names of the factory arrive with their classes
// through registerCreator.
constexpr std::array kSelectPanels{
    OwnControl{"selectpanel", "SelectPanel"},
    OwnControl{"cselectpanelui", "SelectPanel"},
};
constexpr std::array kKeyButtons{
    OwnControl{"devicekeybutton", "DeviceKeyButton"},
    OwnControl{"cdevicekeybuttonui", "DeviceKeyButton"},
};
constexpr std::array kProfileSelectors{
    OwnControl{"deviceprofile", "DeviceProfile"},
    OwnControl{"deviceprofileui", "DeviceProfile"},
    OwnControl{"cdeviceprofileui", "DeviceProfile"},
};

// The shoot page of a mouse.
constexpr std::array kShootControls{
    OwnControl{"shootcontrol", "ShootControl"},
    OwnControl{"cshootcontrolui", "ShootControl"},
};

constexpr const char* kPatternViewKey = "shootpatternview";

// Roots of the device layouts. Until the device objects register their creators a plain
// container stands in, so that a page can be built and examined.
constexpr std::array kDeviceRoots{
    OwnControl{"quellonmousedevice", "QuellonMouseDevice"},
    OwnControl{"quellonkeyboarddevice", "QuellonKeyboardDevice"},
    OwnControl{"quellonmousepaddevice", "QuellonMousePadDevice"},
    OwnControl{"quellonhs6533device", "QuellonHS6533Device"},
    OwnControl{"cquellonusbdevice", "QuellonUSBDevice"},
    OwnControl{"cquellonmousepaddevice", "QuellonMousePadDevice"},
    OwnControl{"cquellonhs6533device", "QuellonHS6533Device"},
};

// The small custom controls, by element name and by registered class name.
struct CustomControl {
    const char* key;
    const char* className;
    QWidget* (*create)(QWidget* parent);
};

template <typename Control>
QWidget* make(QWidget* parent)
{
    return new Control(parent);
}

constexpr std::array kCustomControls{
    CustomControl{"handimgbutton", "HandImgButton", make<CHandImgButtonUI>},
    CustomControl{"chandimgbuttonui", "HandImgButton", make<CHandImgButtonUI>},
    CustomControl{"handimgselectbutton", "HandImgSelectButton", make<CHandImgSelectButtonUI>},
    CustomControl{"chandimgselectbuttonui", "HandImgSelectButton", make<CHandImgSelectButtonUI>},
    CustomControl{"rediomacrobutton", "RedioMacroButton", make<CRedioMacroButtonUI>},
    CustomControl{"crediomacrobuttonui", "RedioMacroButton", make<CRedioMacroButtonUI>},
    CustomControl{"circleprogress", "CircleProgress", make<CCircleProgressUI>},
    CustomControl{"ccircleprogressui", "CircleProgress", make<CCircleProgressUI>},
    CustomControl{"audiorecord", "AudioRecord", make<CAudioRecordUI>},
    CustomControl{"caudiorecordui", "AudioRecord", make<CAudioRecordUI>},
    CustomControl{"cwndui", "Wnd", make<CWndUI>},
    CustomControl{"cchartviewui", "ChartView", make<CChartViewUI>},
    CustomControl{"colorpalette", "ColorPalette", make<CColourPaletteUI>},
    CustomControl{"ccolorpaletteui", "ColorPalette", make<CColourPaletteUI>},
};

// The lighting editor: its own layout inside the editor control.
constexpr std::array kLightControlKeys{"lightcontrol", "clightcontrolui", "lightsetcontrolui"};
constexpr const char* kLightControlLayout = "XML\\CustomControlXML\\LightControl.xml";

struct TreeElement {
    const char* key;
    const char* layoutName;
};

// Elements that stand for a whole layout of the skin.
constexpr std::array kTrees{
    TreeElement{"voice6533setcontrolui", "XML\\CustomControlXML\\Voice6533Control.xml"},
    TreeElement{"magicsetcontrolui", "XML\\CustomControlXML\\MagicControl.xml"},
    TreeElement{"keysetcontrolui", "XML\\CustomControlXML\\KeySetControl.xml"},
    TreeElement{"keysetcontrol", "XML\\CustomControlXML\\KeySetControl.xml"},
    TreeElement{"macrosetcontrolui", "XML\\CustomControlXML\\MacroControl.xml"},
    TreeElement{"cmacrocontrolui", "XML\\CustomControlXML\\MacroControl.xml"},
    TreeElement{"shootkeysetcontrolui", "XML\\CustomControlXML\\ShootControl.xml"},
    TreeElement{"virtualsetcontrolui", "XML\\CustomControlXML\\VirtualSet.xml"},
};

// A layout that names itself, directly or through others, stops here instead of recursing.
constexpr int kMaxTreeDepth = 8;
// The layouts' drop-downs are made here so that the wheel cannot change a closed one.
constexpr const char* kComboBoxKey = "qcombobox";
constexpr const char* kClassProperty = "controlClass";

template <std::size_t N>
const OwnControl* findOwn(const std::array<OwnControl, N>& table, const QString& key)
{
    for (const auto& row : table) {
        if (key == QLatin1String(row.key))
            return &row;
    }
    return nullptr;
}

QWidget* tagged(QWidget* widget, const char* className)
{
    widget->setProperty(kClassProperty, QString::fromLatin1(className));
    return widget;
}

// QUiLoader loads Designer's widget plugins while it is built, from the "designer" folder under
// each library path; Qt Quick's brings a QML engine with it, several MiB resident. The skin uses
// none, so the library paths are hidden while the base is built.
class LibraryPathsHidden {
public:
    LibraryPathsHidden() : m_saved(QCoreApplication::libraryPaths()) { QCoreApplication::setLibraryPaths({}); }
    ~LibraryPathsHidden() { QCoreApplication::setLibraryPaths(m_saved); }
    LibraryPathsHidden(const LibraryPathsHidden&) = delete;
    LibraryPathsHidden& operator=(const LibraryPathsHidden&) = delete;

    QObject* pass(QObject* parent) const { return parent; }

private:
    QStringList m_saved;
};

}  // namespace

ControlFactory::ControlFactory(const Skin* skin, QObject* parent)
    : QUiLoader(LibraryPathsHidden().pass(parent)), m_skin(skin), m_stockWidgets(availableWidgets())
{
    if (m_skin)
        setWorkingDirectory(QDir(m_skin->folder()));
}

void ControlFactory::registerCreator(const QString& elementName, Creator creator)
{
    m_creators.insert(elementName.toLower(), std::move(creator));
}

QWidget* ControlFactory::createWidget(const QString& className, QWidget* parent, const QString& name)
{
    QWidget* widget = createOwn(className.toLower(), parent);
    if (!widget && m_stockWidgets.contains(className))
        return QUiLoader::createWidget(className, parent, name);
    if (widget)
        widget->setObjectName(name);
    return widget;
}

QWidget* ControlFactory::createOwn(const QString& key, QWidget* parent)
{
    if (const auto creator = m_creators.constFind(key); creator != m_creators.constEnd())
        return (*creator)(parent);
    if (key == QLatin1String(kComboBoxKey))
        return new PageComboBox(parent);
    if (const auto* row = findOwn(kSelectPanels, key))
        return tagged(new CSelectPanelUI(parent), row->className);
    if (const auto* row = findOwn(kKeyButtons, key))
        return tagged(new CDeviceKeyButtonUI(parent), row->className);
    if (const auto* row = findOwn(kProfileSelectors, key))
        return m_skin ? tagged(new CDeviceProfileUI(*m_skin, parent), row->className) : nullptr;
    for (const auto& row : kCustomControls) {
        if (key == QLatin1String(row.key))
            return tagged(row.create(parent), row.className);
    }
    for (const char* lightKey : kLightControlKeys) {
        if (key == QLatin1String(lightKey))
            return buildLightControl(parent);
    }
    if (key == QLatin1String(kPatternViewKey))
        return new ShootPatternView(parent);
    if (findOwn(kShootControls, key))
        return m_skin ? new CShootControlUI(*m_skin, parent) : nullptr;
    if (const auto* row = findOwn(kDeviceRoots, key))
        return tagged(new QWidget(parent), row->className);
    for (const auto& tree : kTrees) {
        if (key == QLatin1String(tree.key))
            return buildTree(QString::fromLatin1(tree.layoutName), parent);
    }
    return nullptr;
}

QWidget* ControlFactory::buildLightControl(QWidget* parent)
{
    // Without its layout the editor has nothing to show and is left out like an unknown element.
    QWidget* content = buildTree(QString::fromLatin1(kLightControlLayout), nullptr);
    if (!content)
        return nullptr;
    auto* editor = new CLightControlUI(parent);
    editor->setContent(content);
    return tagged(editor, "LightControl");
}

QWidget* ControlFactory::buildTree(const QString& layoutName, QWidget* parent)
{
    if (!m_skin || m_treeDepth >= kMaxTreeDepth)
        return nullptr;
    ControlFactory nested(m_skin);
    nested.m_creators = m_creators;
    nested.m_treeDepth = m_treeDepth + 1;
    return m_skin->build(layoutName, nested, parent);
}

}  // namespace kestrion::ui
