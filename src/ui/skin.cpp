#include "ui/skin.h"

#include <QVBoxLayout>

#include <QBuffer>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include "platform/file_read.h"
#include "ui/control_factory.h"

namespace kestrion::ui {

namespace {

constexpr const char* kIndexFile = "res.xml";
constexpr const char* kInstalledSkin = "/../share/kestrion-config/skin";
// Layouts and the style sheet name their images "skin:images/...".
constexpr const char* kSearchPrefix = "skin";

// Combo items carry values (a sleep time in minutes, for one) in the combo's "itemValues" list.
void applyItemValues(QWidget* root)
{
    for (auto* combo : root->findChildren<QComboBox*>()) {
        const QStringList values = combo->property("itemValues").toStringList();
        for (int i = 0; i < values.size() && i < combo->count(); ++i)
            combo->setItemData(i, values[i].toInt());
    }
}

bool hasIndex(const QString& folder)
{
    return QFileInfo::exists(folder + "/" + kIndexFile);
}

}  // namespace

std::optional<QByteArray> readSkinFile(const QString& path)
{
    std::string bytes;
    if (path.isEmpty() || !readWholeFile(QFile::encodeName(path).toStdString(), kMaxSkinFileBytes, bytes))
        return std::nullopt;
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString Skin::defaultFolder()
{
    if (QCoreApplication::instance()) {
        const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath() + kInstalledSkin);
        if (hasIndex(installed))
            return installed;
    }
    return QStringLiteral(KESTRION_SOURCE_ROOT "/skin");
}

Skin::Skin(QString folder) : m_folder(QDir::cleanPath(std::move(folder))) {}

bool Skin::load()
{
    m_layouts.clear();
    m_languages.clear();
    m_styleFile.clear();
    m_error.clear();
    const QString indexPath = m_folder + "/" + kIndexFile;
    const std::optional<QByteArray> index = readSkinFile(indexPath);
    if (!index) {
        m_error = QStringLiteral("cannot open %1").arg(indexPath);
        return false;
    }
    QXmlStreamReader xml(*index);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto attributes = xml.attributes();
        const QString name = attributes.value("name").toString();
        const QString path = attributes.value("file").toString();
        if (xml.name() == QLatin1String("Layout"))
            m_layouts.insert(name, path);
        else if (xml.name() == QLatin1String("Language"))
            m_languages.insert(name, path);
        else if (xml.name() == QLatin1String("StyleSheet"))
            m_styleFile = path;
    }
    if (xml.hasError()) {
        m_error = QStringLiteral("%1 line %2: %3").arg(indexPath).arg(xml.lineNumber()).arg(xml.errorString());
        m_layouts.clear();
        m_languages.clear();
        m_styleFile.clear();
        return false;
    }
    QDir::setSearchPaths(kSearchPrefix, {m_folder});
    return true;
}

QString Skin::absolute(const QString& relative) const
{
    return relative.isEmpty() ? QString() : m_folder + "/" + relative;
}

QString Skin::layoutFile(const QString& layoutName) const
{
    return absolute(m_layouts.value(layoutName));
}

// A language name not in the index is taken as a file of the skin's "lang" folder, the form the
// language list uses; only plain file names are accepted there.
QString Skin::languageFile(const QString& languageName) const
{
    const auto alias = m_languages.constFind(languageName);
    if (alias != m_languages.constEnd())
        return absolute(*alias);
    if (languageName.isEmpty() || languageName.contains('/') || languageName.contains('\\')
        || languageName.startsWith('.'))
        return {};
    const QString file = absolute("lang/" + languageName);
    return QFileInfo::exists(file) ? file : QString();
}

QString Skin::styleSheet() const
{
    const std::optional<QByteArray> text = readSkinFile(absolute(m_styleFile));
    return text ? QString::fromUtf8(*text) : QString();
}

QWidget* Skin::build(const QString& layoutName, ControlFactory& factory, QWidget* parent) const
{
    const QString path = layoutFile(layoutName);
    if (path.isEmpty())
        return nullptr;
    std::optional<QByteArray> layout = readSkinFile(path);
    if (!layout)
        return nullptr;
    QBuffer buffer(&*layout);
    buffer.open(QIODevice::ReadOnly);
    QWidget* root = factory.load(&buffer, parent);
    if (root)
        applyItemValues(root);
    return root;
}

QWidget* Skin::buildInto(const QString& layoutName, ControlFactory& factory, QWidget& host) const
{
    QWidget* root = build(layoutName, factory, &host);
    if (!root)
        return nullptr;
    QLayout* layout = host.layout();
    if (!layout) {
        layout = new QVBoxLayout(&host);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    layout->addWidget(root);
    return root;
}

}  // namespace kestrion::ui
