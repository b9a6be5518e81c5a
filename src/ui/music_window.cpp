#include "ui/music_window.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QLabel>
#include <QLineEdit>

#include "ui/language_manager.h"
#include "ui/skin.h"

namespace kestrion::ui {
namespace {

constexpr const char* kLayout = "music.xml";
constexpr std::array<const char*, 3> kSliders{"audio_r_slider", "audio_g_slider", "audio_b_slider"};
constexpr std::array<const char*, 3> kValues{"audio_r_value", "audio_g_value", "audio_b_value"};
constexpr const char* kTabPrefix = "audio_select_tab";
constexpr const char* kNamePrefix = "audio_edit_name";
constexpr const char* kDefaultNamePrefix = "music_default_name";
constexpr std::array<int AudioStyles::Colour::*, 3> kComponents{&AudioStyles::Colour::red, &AudioStyles::Colour::green,
                                                                &AudioStyles::Colour::blue};

QString numbered(const char* prefix, int number)
{
    return QString::fromLatin1(prefix) + QString::number(number);
}

}  // namespace

MusicWnd::MusicWnd(const UiResources& resources, AudioStyles styles, QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::FramelessWindowHint), m_language(resources.language), m_styles(std::move(styles))
{
    setObjectName("MusicWnd");
    setWindowTitle(QStringLiteral("MusicWnd"));
    setModal(true);
    m_root = resources.skin.buildInto(kLayout, resources.factory, *this);
    if (!m_root)
        return;
    resources.language.apply(m_root);
    bindControls();
    for (int i = 0; i < AudioStyles::kStyleCount; ++i) {
        if (m_names[i])
            m_names[i]->setText(QString::fromStdString(m_styles.names[i]));
    }
    selectStyle(m_styles.active);
}

void MusicWnd::bindControls()
{
    for (std::size_t c = 0; c < kSliders.size(); ++c) {
        m_sliders[c] = m_root->findChild<QAbstractSlider*>(kSliders[c]);
        m_values[c] = m_root->findChild<QLabel*>(kValues[c]);
        if (!m_sliders[c])
            continue;
        m_sliders[c]->setRange(0, AudioStyles::kMaxLevel);
        connect(m_sliders[c], &QAbstractSlider::valueChanged, this,
                [this, c](int value) { takeLevel(static_cast<int>(c), value); });
    }
    for (int i = 0; i < AudioStyles::kStyleCount; ++i) {
        m_tabs[i] = m_root->findChild<QAbstractButton*>(numbered(kTabPrefix, i + 1));
        m_names[i] = m_root->findChild<QLineEdit*>(numbered(kNamePrefix, i + 1));
        if (m_tabs[i])
            connect(m_tabs[i], &QAbstractButton::clicked, this, [this, i] { selectStyle(i); });
        if (m_names[i])
            connect(m_names[i], &QLineEdit::editingFinished, this, [this, i] { takeName(i); });
    }
    if (auto* ok = m_root->findChild<QAbstractButton*>("okbtn"))
        connect(ok, &QAbstractButton::clicked, this, [this] { done(kConfirmed); });
    if (auto* close = m_root->findChild<QAbstractButton*>("closebtn"))
        connect(close, &QAbstractButton::clicked, this, [this] { done(kClosed); });
}

int MusicWnd::showModal()
{
    if (!isBuilt())
        return kClosed;
    if (parentWidget())
        move(parentWidget()->geometry().center() - rect().center());
    return exec();
}

void MusicWnd::selectStyle(int style)
{
    m_styles.active = std::clamp(style, 0, AudioStyles::kStyleCount - 1);
    if (m_tabs[m_styles.active])
        m_tabs[m_styles.active]->setChecked(true);
    showLevels();
}

void MusicWnd::showLevels()
{
    m_showing = true;
    const AudioStyles::Colour& colour = m_styles.activeColour();
    for (std::size_t c = 0; c < kComponents.size(); ++c) {
        const int level = colour.*kComponents[c];
        if (m_sliders[c])
            m_sliders[c]->setValue(level);
        if (m_values[c])
            m_values[c]->setText(QString::number(level));
    }
    m_showing = false;
}

void MusicWnd::takeLevel(int component, int value)
{
    if (m_values[component])
        m_values[component]->setText(QString::number(value));
    if (!m_showing)
        m_styles.colours[m_styles.active].*kComponents[component] = value;
}

// An emptied name takes the style's default name, shown in the edit too.
void MusicWnd::takeName(int style)
{
    QString name = m_names[style]->text().trimmed();
    if (name.isEmpty()) {
        name = m_language.text(numbered(kDefaultNamePrefix, style + 1) + QStringLiteral("_text"));
        m_names[style]->setText(name);
    }
    m_styles.names[style] = name.toStdString();
}

}  // namespace kestrion::ui
