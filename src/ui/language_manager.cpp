#include "ui/language_manager.h"

#include <QApplication>
#include <QComboBox>
#include <QTabWidget>
#include <QVariant>
#include <QWidget>
#include <QXmlStreamReader>

#include <optional>

#include "ui/skin.h"

namespace kestrion::ui {

namespace {

constexpr const char* kTextId = "textId";
constexpr const char* kToolTipId = "toolTipId";
constexpr const char* kItemTextIds = "itemTextIds";
constexpr const char* kTabTextId = "tabTextId";
constexpr const char* kNumberMark = "%d";
constexpr const char* kWordMark = "%s";

std::optional<QHash<QString, QString>> readLanguageFile(const QString& path)
{
    const std::optional<QByteArray> bytes = readSkinFile(path);
    if (!bytes)
        return std::nullopt;
    QHash<QString, QString> texts;
    QXmlStreamReader xml(*bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("Text"))
            continue;
        const QString id = xml.attributes().value("id").toString();
        const QString text = xml.readElementText();
        if (!id.isEmpty())
            texts.insert(id, text);
    }
    if (xml.hasError())
        return std::nullopt;
    return texts;
}

// Sets the first of the widget's text-like properties that it has.
void setShownText(QWidget* widget, const QString& text)
{
    for (const char* property : {"text", "title", "windowTitle"}) {
        if (widget->metaObject()->indexOfProperty(property) >= 0) {
            widget->setProperty(property, text);
            return;
        }
    }
}

}  // namespace

LanguageManager::LanguageManager(const Skin& skin, QObject* parent) : QObject(parent), m_skin(skin) {}

bool LanguageManager::load(const QString& languageName)
{
    auto texts = readLanguageFile(m_skin.languageFile(languageName));
    if (!texts)
        return false;
    m_texts = std::move(*texts);
    m_name = languageName;
    for (QWidget* widget : QApplication::allWidgets())
        applyOne(widget);
    emit languageChanged();
    return true;
}

QString LanguageManager::text(const QString& id) const
{
    return m_texts.value(id, id);
}

QString LanguageManager::textWithNumber(const QString& id, long long number) const
{
    return text(id).replace(kNumberMark, QString::number(number));
}

QString LanguageManager::textWithWord(const QString& id, const QString& word) const
{
    return text(id).replace(QLatin1String(kWordMark), word);
}

void LanguageManager::apply(QWidget* root) const
{
    if (!root)
        return;
    applyOne(root);
    for (QWidget* child : root->findChildren<QWidget*>())
        applyOne(child);
}

void LanguageManager::setTextId(QWidget* control, const QString& id) const
{
    control->setProperty(kTextId, id);
    applyOne(control);
}

void LanguageManager::setLiteralText(QWidget* control, const QString& text)
{
    control->setProperty(kTextId, QVariant());
    setShownText(control, text);
}

void LanguageManager::applyOne(QWidget* widget) const
{
    const QString textId = widget->property(kTextId).toString();
    if (!textId.isEmpty())
        setShownText(widget, text(textId));
    const QString toolTipId = widget->property(kToolTipId).toString();
    if (!toolTipId.isEmpty()) {
        widget->setToolTip(text(toolTipId));
        // Screen readers name an icon-only control by what its tool tip says.
        if (textId.isEmpty())
            widget->setAccessibleName(text(toolTipId));
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        applyItems(combo);
    else if (auto* tabs = qobject_cast<QTabWidget*>(widget))
        applyTabTitles(tabs);
}

void LanguageManager::applyItems(QComboBox* combo) const
{
    const QStringList itemIds = combo->property(kItemTextIds).toStringList();
    for (int i = 0; i < itemIds.size() && i < combo->count(); ++i)
        combo->setItemText(i, text(itemIds[i]));
}

void LanguageManager::applyTabTitles(QTabWidget* tabs) const
{
    for (int i = 0; i < tabs->count(); ++i) {
        const QString id = tabs->widget(i)->property(kTabTextId).toString();
        if (!id.isEmpty())
            tabs->setTabText(i, text(id));
    }
}

}  // namespace kestrion::ui
