// Every layout of the skin in every shipped language: each text id has a text, and no control
// shows a raw id.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QSet>
#include <QXmlStreamReader>

#include <memory>

#include "profiles/language_list.h"
#include "ui/qt_app.h"

namespace kestrion::test {
namespace {

const std::string kLanguageList = KESTRION_SOURCE_ROOT "/DefaultData/Language.config";

QStringList idsOf(const QWidget& widget)
{
    QStringList ids = widget.property("itemTextIds").toStringList();
    for (const char* property : {"textId", "toolTipId"}) {
        const QString id = widget.property(property).toString();
        if (!id.isEmpty())
            ids << id;
    }
    return ids;
}

QStringList shownTexts(const QWidget& widget)
{
    QStringList shown{widget.toolTip()};
    for (const char* property : {"text", "title", "windowTitle", "placeholderText"})
        shown << widget.property(property).toString();
    if (const auto* combo = qobject_cast<const QComboBox*>(&widget)) {
        for (int i = 0; i < combo->count(); ++i)
            shown << combo->itemText(i);
    }
    return shown;
}

// Every id a language file of the skin texts, so that a control showing one without carrying it
// as its text id is caught too.
void addLanguageIds(const QString& file, QSet<QString>& ids)
{
    QFile input(file);
    ASSERT_TRUE(input.open(QIODevice::ReadOnly)) << file.toStdString();
    QXmlStreamReader xml(&input);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Text"))
            ids.insert(xml.attributes().value("id").toString());
    }
}

struct Built {
    QString layout;
    std::unique_ptr<QWidget> root;
};

class LayoutTexts : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(real.skin.layoutNames().isEmpty());
        for (const QString& name : real.skin.layoutNames()) {
            Built built{name, std::unique_ptr<QWidget>(real.skin.build(name, real.factory))};
            ASSERT_NE(built.root, nullptr) << name.toStdString();
            for (const QWidget* widget : built.root->findChildren<QWidget*>())
                for (const QString& id : idsOf(*widget))
                    allIds.insert(id);
            layouts.push_back(std::move(built));
        }
        ASSERT_FALSE(allIds.isEmpty());
        for (const LanguageEntry& language : loadLanguageList(kLanguageList))
            addLanguageIds(real.skin.languageFile(QString::fromStdString(language.file)), allIds);
    }

    RealSkin real;
    std::vector<Built> layouts;
    QSet<QString> allIds;
};

TEST_F(LayoutTexts, EveryLayoutInEveryLanguageHasEveryTextAndShowsNoRawId)
{
    const std::vector<LanguageEntry> languages = loadLanguageList(kLanguageList);
    ASSERT_EQ(languages.size(), 2u);
    for (const LanguageEntry& language : languages) {
        const QString file = QString::fromStdString(language.file);
        ASSERT_TRUE(real.language.load(file)) << language.file;
        for (const Built& built : layouts) {
            real.language.apply(built.root.get());
            for (const QWidget* widget : built.root->findChildren<QWidget*>()) {
                const std::string where = language.file + " " + built.layout.toStdString() + " "
                    + widget->objectName().toStdString();
                for (const QString& id : idsOf(*widget))
                    EXPECT_TRUE(real.language.contains(id)) << where << ": no text for " << id.toStdString();
                for (const QString& shown : shownTexts(*widget))
                    EXPECT_FALSE(allIds.contains(shown)) << where << " shows the raw id " << shown.toStdString();
            }
        }
    }
}

}  // namespace
}  // namespace kestrion::test
