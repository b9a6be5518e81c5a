#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstddef>
#include <optional>

class QWidget;

namespace kestrion::ui {

class ControlFactory;

// Largest skin file (index, layout, language texts, style sheet) the tool reads.
inline constexpr std::size_t kMaxSkinFileBytes = 4 * 1024 * 1024;

// A skin file's bytes; nullopt when it is missing, not a regular file (a FIFO in its place must not
// stall start-up) or larger than kMaxSkinFileBytes.
std::optional<QByteArray> readSkinFile(const QString& path);

// The skin folder: its resource index "res.xml" names every layout, language file and the style
// sheet. Layouts are Qt Designer files built through the control factory.
class Skin {
public:
    // The installed share folder next to the executable, else the source tree's skin folder.
    static QString defaultFolder();

    explicit Skin(QString folder = defaultFolder());

    // Reads res.xml; false (and nothing known) when it is missing or malformed. On success image
    // names "skin:images/..." of layouts and the style sheet resolve in this skin's folder.
    bool load();
    const QString& folder() const { return m_folder; }
    const QString& errorText() const { return m_error; }

    // Absolute file of a layout or language name as the system uses it; empty when unknown.
    QString layoutFile(const QString& layoutName) const;
    QString languageFile(const QString& languageName) const;
    QStringList layoutNames() const { return m_layouts.keys(); }

    // The style sheet with its image references made absolute; empty when absent.
    QString styleSheet() const;

    // Builds a layout by name; null when the name is unknown or the file does not build. Combo
    // items take their values from the combo's "itemValues" list.
    QWidget* build(const QString& layoutName, ControlFactory& factory, QWidget* parent = nullptr) const;
    // Builds a layout by name to fill host, edge to edge; null when it does not build.
    QWidget* buildInto(const QString& layoutName, ControlFactory& factory, QWidget& host) const;

private:
    QString absolute(const QString& relative) const;

    QString m_folder;
    QString m_error;
    QString m_styleFile;
    QHash<QString, QString> m_layouts;
    QHash<QString, QString> m_languages;
};

}  // namespace kestrion::ui
