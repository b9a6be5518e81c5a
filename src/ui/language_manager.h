#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QComboBox;
class QTabWidget;
class QWidget;

namespace kestrion::ui {

class Skin;

// The current language's texts. A control shows a language text when it carries the text id in
// its dynamic property "textId" (its text), "toolTipId" (its tool tip, and the accessible name
// of a control that shows no text) or, for a combo box, "itemTextIds" (one id per item); a tab
// widget's page carries "tabTextId" (its tab's title). Loading a language re-texts every such
// control.
class LanguageManager : public QObject {
    Q_OBJECT
public:
    explicit LanguageManager(const Skin& skin, QObject* parent = nullptr);

    // Loads a language by the name the system gives ("lan_cn.xml", "English.xml") and re-texts
    // every widget of the application. A file that is missing or malformed changes nothing.
    bool load(const QString& languageName);
    const QString& currentName() const { return m_name; }

    bool contains(const QString& id) const { return m_texts.contains(id); }
    // The text of an id; the id itself when the language lacks it, so nothing shows blank.
    QString text(const QString& id) const;
    // The text of an id with its "%d" replaced by a number.
    QString textWithNumber(const QString& id, long long number) const;
    // The text of an id with its "%s" replaced by a word (a name, a character).
    QString textWithWord(const QString& id, const QString& word) const;

    // Re-texts root and every widget below it.
    void apply(QWidget* root) const;
    // Gives a control a text id and shows its text.
    void setTextId(QWidget* control, const QString& id) const;
    // Shows a text that is no id (a macro name, a built message); later loads leave it alone.
    static void setLiteralText(QWidget* control, const QString& text);

signals:
    void languageChanged();

private:
    void applyOne(QWidget* widget) const;
    void applyItems(QComboBox* combo) const;
    void applyTabTitles(QTabWidget* tabs) const;

    const Skin& m_skin;
    QString m_name;
    QHash<QString, QString> m_texts;
};

}  // namespace kestrion::ui
