#include "ui/device_profile.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <ostream>
#include <gtest/gtest.h>

#include "profiles/json_file.h"
#include "profiles/profile_list_store.h"
#include "ui/qt_app.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

using test::TempDir;
using test::readFile;
using test::writeFile;
using ui::CDeviceProfileUI;
using Mode = CDeviceProfileUI::FileDialogMode;

constexpr int kMouse = 2;

struct Shown {
    QString textId;
    int mode;
    QString word = QString();
    bool operator==(const Shown&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Shown& shown)
{
    return out << shown.textId.toStdString() << '/' << shown.mode << '/' << shown.word.toStdString();
}

const Shown kAskAdd{"message_text_28", ui::CMsgWnd::Question};
const Shown kAskCopy{"message_text_27", ui::CMsgWnd::Question};
const Shown kAskReset{"message_text_22", ui::CMsgWnd::Question};
const Shown kFull{"message_text_32", ui::CMsgWnd::Notice};
const Shown kWriteFailed{"profile_write_failed_text", ui::CMsgWnd::Notice};

Shown notice(const char* textId, const QString& word = QString())
{
    return Shown{QString::fromLatin1(textId), ui::CMsgWnd::Notice, word};
}

// The delete question names the profile it would delete.
Shown askDelete(const char* name)
{
    return Shown{"message_text_30", ui::CMsgWnd::Question, QStringLiteral("\u201C%1\u201D").arg(name)};
}

// The selector on the real skin over a real store in a fresh folder; the user's answers to
// questions and file dialogs are scripted.
class DeviceProfileTest : public ::testing::Test {
protected:
    DeviceProfileTest()
    {
        Json::Value defaults;
        defaults["Device"][0]["LightInfo"]["Red"] = 11;
        SaveJsonFile(defaults, defaultPath());
        std::filesystem::create_directory(folder());
        selector.setPrompter([this](const QString& textId, int mode, const QString& word) {
            shown.push_back(Shown{textId, mode, word});
            return answer;
        });
        selector.setFileChooser([this](Mode mode, const QString& filter, const QString& suggestedName) {
            dialogs.emplace_back(mode, filter);
            suggestedNames.push_back(suggestedName);
            return chosenFile;
        });
        QObject::connect(&selector, &CDeviceProfileUI::profileChanged, [this] { ++changes; });
        selector.setStore(&store);
    }

    std::string folder() const { return dir.file("mouse"); }
    std::string defaultPath() const { return dir.file("default.Json"); }
    Json::Value listFile() const { return LoadJsonFile(folder() + "/ProfileList.ini"); }

    // Stored profiles named Profile1..count, the one at `selected` selected, shown by the selector.
    void startWith(int count, int selected = 0)
    {
        ProfileListStore seed(kMouse, folder(), defaultPath());
        seed.init();
        for (int i = 1; i < count; ++i)
            ASSERT_EQ(seed.add(), ProfileAddResult::Added);
        ASSERT_TRUE(seed.select(selected));
        selector.InitProfileList();
    }

    std::vector<std::string> shownNames() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < selector.selector()->count(); ++i)
            names.push_back(selector.selector()->itemText(i).toStdString());
        return names;
    }

    std::vector<std::string> storedNames()
    {
        ProfileListStore fresh(kMouse, folder(), defaultPath());
        std::vector<std::string> names;
        for (const auto& entry : fresh.profiles())
            names.push_back(entry.name);
        return names;
    }

    Json::Value document(int index) { return LoadJsonFile(store.documentPath(index)); }

    // Every later write into the data folder fails.
    void breakFolder()
    {
        std::filesystem::remove_all(folder());
        writeFile(folder(), "not a folder");
    }

    test::QtApp app;
    test::RealSkin real;
    TempDir dir;
    ProfileListStore store{kMouse, folder(), defaultPath()};
    CDeviceProfileUI selector{real.skin};
    std::vector<Shown> shown;
    int answer = 1;
    std::vector<std::pair<Mode, QString>> dialogs;
    std::vector<QString> suggestedNames;
    QString chosenFile;
    int changes = 0;
};

TEST_F(DeviceProfileTest, MousePageBuildsTheSelectorWithEveryControlAndText)
{
    auto page = test::buildMousePage(real);
    ASSERT_TRUE(page);
    auto* built = page->findChild<CDeviceProfileUI*>("DeviceProfileItem");
    ASSERT_NE(built, nullptr);
    EXPECT_TRUE(built->isBuilt());
    EXPECT_EQ(built->selector()->objectName(), "device_profile_combo");
    EXPECT_EQ(built->nameEdit()->objectName(), "device_profile_name_edit");
    EXPECT_EQ(built->profileMenu()->objectName(), "profile_menu_layout");
    for (const char* name : {"device_add_btn", "device_sub_btn", "device_export_btn", "device_import_btn",
                             "device_copy_btn", "device_reset_btn", "device_profile_edit_save_btn"})
        EXPECT_NE(built->button(name), nullptr) << name;
    EXPECT_NE(built->findChild<QAbstractButton*>("profile_fun_spread_btn"), nullptr);

    ui::LanguageManager chinese(real.skin);
    ASSERT_TRUE(chinese.load("lan_cn.xml"));
    for (QWidget* control : built->findChildren<QWidget*>()) {
        for (const char* property : {"textId", "toolTipId"}) {
            const QString id = control->property(property).toString();
            if (id.isEmpty())
                continue;
            EXPECT_TRUE(real.language.contains(id)) << id.toStdString();
            EXPECT_TRUE(chinese.contains(id)) << id.toStdString();
        }
    }
}

TEST_F(DeviceProfileTest, NoticesAndQuestionsHaveTextsInBothLanguages)
{
    ui::LanguageManager chinese(real.skin);
    ASSERT_TRUE(chinese.load("lan_cn.xml"));
    for (const char* id : {"message_text_5", "message_text_5_1", "message_text_22", "message_text_25",
                           "message_text_27", "message_text_28", "message_text_30", "message_text_32",
                           "message_text_34", "message_text_35", "profile_write_failed_text",
                           "profile_export_failed_text", "profile_import_invalid_text", "profile_name_space_text"}) {
        EXPECT_TRUE(real.language.contains(id)) << id;
        EXPECT_TRUE(chinese.contains(id)) << id;
    }
    // The texts that name a profile or a character hold the place for it.
    for (const char* id : {"message_text_30", "message_text_35"}) {
        EXPECT_TRUE(real.language.text(id).contains("%s")) << id;
        EXPECT_TRUE(chinese.text(id).contains("%s")) << id;
    }
}

// Once the message box runs, notes its text and closes it through the named button.
void answerMessageBox(const char* buttonName, QString& text)
{
    QTimer::singleShot(0, [buttonName, &text] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box)
            return;
        text = box->findChild<QLabel*>("MessageText")->text();
        QTest::mouseClick(box->findChild<QAbstractButton*>(buttonName), Qt::LeftButton);
    });
}

TEST_F(DeviceProfileTest, WithThePagesResourcesQuestionsUseTheSkinsMessageBox)
{
    CDeviceProfileUI page(real.skin);
    page.setResources(ui::UiResources{real.skin, real.factory, real.language});
    page.setStore(&store);
    page.InitProfileList();

    QString text;
    answerMessageBox("cancel_btn", text);
    page.addProfile();
    EXPECT_EQ(text, real.language.text("message_text_28"));
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"Profile1"}));

    text.clear();
    answerMessageBox("confirm_btn", text);
    page.addProfile();
    EXPECT_EQ(text, real.language.text("message_text_28"));
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"Profile1", "Profile2"}));

    // The delete question names the profile in the language's sentence.
    text.clear();
    answerMessageBox("cancel_btn", text);
    page.deleteProfile();
    EXPECT_EQ(text, real.language.textWithWord("message_text_30", QStringLiteral("\u201CProfile2\u201D")));
    EXPECT_NE(text, real.language.text("message_text_30"));
}

TEST_F(DeviceProfileTest, ReturnInTheNameEditPressesSave)
{
    ASSERT_TRUE(selector.isBuilt());
    QSignalSpy saved(selector.button("device_profile_edit_save_btn"), &QAbstractButton::clicked);
    QTest::keyClick(selector.nameEdit(), Qt::Key_Return);
    EXPECT_EQ(saved.count(), 1);
}

TEST_F(DeviceProfileTest, FirstStartShowsOneProfileSelected)
{
    selector.InitProfileList();
    EXPECT_EQ(shownNames(), (std::vector<std::string>{"Profile1"}));
    EXPECT_EQ(selector.selectedIndex(), 0);
    EXPECT_EQ(selector.nameEditText(), "Profile1");
    EXPECT_FALSE(selector.button("device_sub_btn")->isEnabled());
    EXPECT_EQ(changes, 0);
}

TEST_F(DeviceProfileTest, ListShowsTheStoredNamesInOrderAndTheStoredSelection)
{
    startWith(3, 1);
    EXPECT_EQ(shownNames(), (std::vector<std::string>{"Profile1", "Profile2", "Profile3"}));
    EXPECT_EQ(selector.selectedIndex(), 1);
    EXPECT_EQ(selector.nameEditText(), "Profile2");
    QComboBox* combo = selector.selector();
    EXPECT_EQ(combo->itemData(2).toString(), "Profile3");
    EXPECT_EQ(combo->itemData(2, Qt::ToolTipRole).toString(), "Profile3");
    EXPECT_EQ(combo->itemData(2, Qt::SizeHintRole).toSize().height(), 30);
    EXPECT_TRUE(selector.button("device_sub_btn")->isEnabled());
    EXPECT_EQ(changes, 0);
}

TEST_F(DeviceProfileTest, SelectingAnotherProfileStoresItAndAnnouncesIt)
{
    startWith(3);
    selector.selectProfile(2);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(selector.selectedIndex(), 2);
    EXPECT_EQ(selector.nameEditText(), "Profile3");
    EXPECT_EQ(listFile()["profileselect"].asInt(), 2);

    for (int index : {2, 3, -1}) {
        selector.selectProfile(index);
        EXPECT_EQ(changes, 1) << index;
        EXPECT_EQ(selector.selectedIndex(), 2) << index;
    }
    EXPECT_TRUE(shown.empty());
}

TEST_F(DeviceProfileTest, AddAsksThenAddsAndSelectsTheNewProfile)
{
    startWith(2);
    selector.addProfile();
    EXPECT_EQ(shown, (std::vector<Shown>{kAskAdd}));
    EXPECT_EQ(shownNames(), (std::vector<std::string>{"Profile1", "Profile2", "Profile3"}));
    EXPECT_EQ(storedNames(), shownNames());
    EXPECT_EQ(selector.selectedIndex(), 2);
    EXPECT_EQ(store.selectedIndex(), 2);
    EXPECT_EQ(listFile()["profileselect"].asInt(), 2);
    EXPECT_EQ(document(2)["Device"][0]["LightInfo"]["Red"].asInt(), 11);
    EXPECT_EQ(changes, 1);
}

TEST_F(DeviceProfileTest, CopyAddsTheSelectedProfilesSettingsAndKeepsTheSelection)
{
    startWith(2, 1);
    Json::Value changed = document(1);
    changed["Device"][0]["LightInfo"]["Red"] = 99;
    SaveJsonFile(changed, store.documentPath(1));

    selector.copyProfile();
    EXPECT_EQ(shown, (std::vector<Shown>{kAskCopy}));
    EXPECT_EQ(shownNames(), (std::vector<std::string>{"Profile1", "Profile2", "Profile2 copy"}));
    EXPECT_EQ(document(2)["Device"][0]["LightInfo"]["Red"].asInt(), 99);
    EXPECT_EQ(selector.selectedIndex(), 1);
    EXPECT_EQ(changes, 0);
}

TEST_F(DeviceProfileTest, DeleteAsksThenSelectsTheProfileBefore)
{
    startWith(3, 2);
    const std::string removed = store.documentPath(2);
    selector.deleteProfile();
    EXPECT_EQ(shown, (std::vector<Shown>{askDelete("Profile3")}));
    EXPECT_EQ(shownNames(), (std::vector<std::string>{"Profile1", "Profile2"}));
    EXPECT_EQ(storedNames(), shownNames());
    EXPECT_EQ(selector.selectedIndex(), 1);
    EXPECT_EQ(selector.nameEditText(), "Profile2");
    EXPECT_FALSE(std::filesystem::exists(removed));
    EXPECT_EQ(changes, 1);
}

TEST_F(DeviceProfileTest, DeleteOfTheLastProfileAsksNothingAndKeepsIt)
{
    startWith(1);
    selector.deleteProfile();
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"Profile1"}));
    EXPECT_EQ(changes, 0);
}

TEST_F(DeviceProfileTest, CancelledQuestionsChangeNothing)
{
    startWith(2, 1);
    Json::Value changed = document(1);
    changed["Device"][0]["LightInfo"]["Red"] = 99;
    SaveJsonFile(changed, store.documentPath(1));
    const std::string list = readFile(folder() + "/ProfileList.ini");
    const std::string selected = readFile(store.documentPath(1));
    answer = 0;

    const std::pair<void (CDeviceProfileUI::*)(), Shown> commands[] = {
        {&CDeviceProfileUI::addProfile, kAskAdd},
        {&CDeviceProfileUI::copyProfile, kAskCopy},
        {&CDeviceProfileUI::deleteProfile, askDelete("Profile2")},
        {&CDeviceProfileUI::resetProfile, kAskReset},
    };
    for (const auto& [command, question] : commands) {
        shown.clear();
        (selector.*command)();
        EXPECT_EQ(shown, (std::vector<Shown>{question}));
        EXPECT_EQ(readFile(folder() + "/ProfileList.ini"), list) << question;
        EXPECT_EQ(readFile(store.documentPath(1)), selected) << question;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder()), {}), 4)
            << question << ": the list, the kept selection and two documents";
    }
    EXPECT_EQ(changes, 0);
}

TEST_F(DeviceProfileTest, AtFiftyProfilesAddCopyAndImportShowTheLimitNotice)
{
    startWith(ProfileListStore::kMaxProfiles);
    chosenFile = QString::fromStdString(dir.file("Gaming.json"));
    SaveJsonFile(document(0), chosenFile.toStdString());

    const std::pair<void (CDeviceProfileUI::*)(), std::vector<Shown>> commands[] = {
        {&CDeviceProfileUI::addProfile, {kAskAdd, kFull}},
        {&CDeviceProfileUI::copyProfile, {kAskCopy, kFull}},
        {&CDeviceProfileUI::importProfile, {kFull}},
    };
    for (const auto& [command, expected] : commands) {
        shown.clear();
        (selector.*command)();
        EXPECT_EQ(shown, expected);
        EXPECT_EQ(selector.selector()->count(), ProfileListStore::kMaxProfiles);
        EXPECT_EQ(storedNames().size(), std::size_t(ProfileListStore::kMaxProfiles));
    }
    EXPECT_EQ(changes, 0);
}

TEST_F(DeviceProfileTest, RenameTakesTheNameEditText)
{
    startWith(2, 1);
    for (const char* name : {"Gaming", "GAMING", "profile-2_\xe4\xb8\xad"}) {
        selector.setNameEditText(QString::fromUtf8(name));
        selector.renameProfile();
        EXPECT_EQ(shownNames(), (std::vector<std::string>{"Profile1", name}));
        EXPECT_EQ(storedNames(), shownNames());
        EXPECT_EQ(selector.selector()->itemData(1, Qt::ToolTipRole).toString(), QString::fromUtf8(name));
        EXPECT_EQ(document(1)["profilename"].asString(), name);
    }
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(changes, 0);
}

TEST_F(DeviceProfileTest, RefusedNamesShowTheirNoticeAndChangeNothing)
{
    startWith(2, 1);
    const std::string list = readFile(folder() + "/ProfileList.ini");
    const std::string selected = readFile(store.documentPath(1));
    // A refused character is named; a space, being invisible, by the language's word for it.
    const QString space = real.language.text("profile_name_space_text");
    struct Case {
        const char* name;
        const char* textId;
        QString word;
    };
    const Case cases[] = {
        {"", "message_text_5_1", ""},
        {"ABCDEFGHIJKLMNOPQ", "message_text_34", ""},
        {"\xe4\xb8\xad\xe4\xb8\xad\xe4\xb8\xad\xe4\xb8\xad\xe4\xb8\xad\xe4\xb8\xad", "message_text_34", ""},
        {"my profile", "message_text_35", space},
        {"a/b?", "message_text_35", "\u201C/\u201D"},
        {"50%", "message_text_35", "\u201C%\u201D"},
        {"\t", "message_text_25", ""},
        {"PROFILE1", "message_text_5", ""},
    };
    selector.setResources(ui::UiResources{real.skin, real.factory, real.language});
    for (const auto& [name, textId, word] : cases) {
        shown.clear();
        selector.setNameEditText(QString::fromUtf8(name));
        selector.renameProfile();
        EXPECT_EQ(shown, (std::vector<Shown>{notice(textId, word)})) << name;
        EXPECT_EQ(shownNames(), (std::vector<std::string>{"Profile1", "Profile2"})) << name;
        EXPECT_EQ(readFile(folder() + "/ProfileList.ini"), list) << name;
        EXPECT_EQ(readFile(store.documentPath(1)), selected) << name;
    }
    EXPECT_EQ(changes, 0);
}

TEST_F(DeviceProfileTest, ResetAsksThenRestoresTheDefaultsUnderTheSameName)
{
    startWith(2, 1);
    Json::Value changed = document(1);
    changed["Device"][0]["LightInfo"]["Red"] = 99;
    SaveJsonFile(changed, store.documentPath(1));

    selector.resetProfile();
    EXPECT_EQ(shown, (std::vector<Shown>{kAskReset}));
    EXPECT_EQ(document(1)["Device"][0]["LightInfo"]["Red"].asInt(), 11);
    EXPECT_EQ(document(1)["profilename"].asString(), "Profile2");
    EXPECT_EQ(shownNames(), (std::vector<std::string>{"Profile1", "Profile2"}));
    EXPECT_EQ(changes, 1);
}

TEST_F(DeviceProfileTest, ImportNamesTheProfileAfterTheFileAndKeepsTheSelection)
{
    startWith(1);
    Json::Value source = document(0);
    source["profilename"] = "Named inside";
    source["Device"][0]["LightInfo"]["Red"] = 42;
    chosenFile = QString::fromStdString(dir.file("Gaming.json"));
    SaveJsonFile(source, chosenFile.toStdString());

    selector.importProfile();
    selector.importProfile();
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0].first, Mode::Open);
    EXPECT_EQ(dialogs[0].second, "Profile Files(*.json)");
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(shownNames(), (std::vector<std::string>{"Profile1", "Gaming", "Gaming(1)"}));
    EXPECT_EQ(storedNames(), shownNames());
    EXPECT_EQ(document(1)["Device"][0]["LightInfo"]["Red"].asInt(), 42);
    EXPECT_EQ(selector.selectedIndex(), 0);
    EXPECT_EQ(changes, 0);
}

TEST_F(DeviceProfileTest, ImportOfAnUnusableFileShowsItsNoticeAndAddsNothing)
{
    startWith(1);
    const std::pair<std::string, std::string> files[] = {
        {"Broken.json", "{ not json"},
        {"Foreign.json", "{\"profilename\": \"No identifier\"}"},
        {"Missing.json", ""},
    };
    for (const auto& [name, content] : files) {
        if (!content.empty())
            writeFile(dir.file(name), content);
        chosenFile = QString::fromStdString(dir.file(name));
        shown.clear();
        selector.importProfile();
        EXPECT_EQ(shown, (std::vector<Shown>{notice("profile_import_invalid_text")})) << name;
    }

    Json::Value profile = document(0);
    chosenFile = QString::fromStdString(dir.file("ABCDEFGHIJKLMNOPQ.json"));
    SaveJsonFile(profile, chosenFile.toStdString());
    shown.clear();
    selector.importProfile();
    EXPECT_EQ(shown, (std::vector<Shown>{notice("message_text_34")}));

    chosenFile.clear();
    shown.clear();
    selector.importProfile();
    EXPECT_TRUE(shown.empty());

    EXPECT_EQ(storedNames(), (std::vector<std::string>{"Profile1"}));
    EXPECT_EQ(shownNames(), storedNames());
    EXPECT_EQ(changes, 0);
}

TEST_F(DeviceProfileTest, ExportWritesTheSelectedDocument)
{
    startWith(2, 1);
    chosenFile = QString::fromStdString(dir.file("out.json"));
    selector.exportProfile();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].first, Mode::Save);
    EXPECT_EQ(dialogs[0].second, "Profile Files(*.json)");
    EXPECT_EQ(suggestedNames, std::vector<QString>{"Profile2.json"});
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(LoadJsonFile(chosenFile.toStdString()), document(1));
    EXPECT_EQ(LoadJsonFile(chosenFile.toStdString())["profilename"].asString(), "Profile2");

    chosenFile = QString::fromStdString(dir.file("no such folder/out.json"));
    selector.exportProfile();
    EXPECT_EQ(shown, (std::vector<Shown>{notice("profile_export_failed_text")}));

    chosenFile.clear();
    shown.clear();
    selector.exportProfile();
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(changes, 0);
}

TEST_F(DeviceProfileTest, FailedWritesAreReportedAndAnnounceNothing)
{
    startWith(2, 1);
    breakFolder();
    chosenFile = QString::fromStdString(dir.file("Gaming.json"));
    writeFile(chosenFile.toStdString(), "{\"profilename\": \"G\", \"profileUUID\": \"1\", \"Device\": [{}]}");

    const std::pair<void (CDeviceProfileUI::*)(), std::vector<Shown>> commands[] = {
        {&CDeviceProfileUI::renameProfile, {kWriteFailed}},
        {&CDeviceProfileUI::addProfile, {kAskAdd, kWriteFailed}},
        {&CDeviceProfileUI::copyProfile, {kAskCopy, kWriteFailed}},
        {&CDeviceProfileUI::deleteProfile, {askDelete("Profile2"), kWriteFailed}},
        {&CDeviceProfileUI::resetProfile, {kAskReset, kWriteFailed}},
        {&CDeviceProfileUI::importProfile, {kWriteFailed}},
    };
    selector.setNameEditText("Renamed");
    for (const auto& [command, expected] : commands) {
        shown.clear();
        (selector.*command)();
        EXPECT_EQ(shown, expected);
    }
    EXPECT_EQ(changes, 0);
}

TEST_F(DeviceProfileTest, SelectTabChecksOneOptionOfThePageAndFallsBackToAShownOne)
{
    auto page = test::buildMousePage(real);
    ASSERT_TRUE(page);
    auto* built = page->findChild<CDeviceProfileUI*>("DeviceProfileItem");
    ASSERT_NE(built, nullptr);
    built->bindTabs(page.get());
    const auto checkedTabs = [&page] {
        std::vector<std::string> names;
        for (const char* name : {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab"}) {
            if (page->findChild<QAbstractButton*>(name)->isChecked())
                names.push_back(name);
        }
        return names;
    };
    built->SelectTab(1);
    EXPECT_EQ(checkedTabs(), std::vector<std::string>{"deng_Op_tab"});
    built->SelectTab(4);
    EXPECT_EQ(checkedTabs(), std::vector<std::string>{"system_Op_tab"});
    built->SelectTab(10);
    EXPECT_TRUE(checkedTabs().empty());

    // A tab the page does not show falls back to the first shown one.
    EXPECT_EQ(built->firstShownTab(2), 2);
    EXPECT_EQ(built->firstShownTab(3), 3);
    EXPECT_EQ(built->firstShownTab(4), 4);
    EXPECT_EQ(built->firstShownTab(9), 9);
    EXPECT_EQ(built->firstShownTab(6), 1) << "a tab the page lacks";
    EXPECT_EQ(CDeviceProfileUI::tabNumber("Virtual7.1_Op_tab"), 8);
    EXPECT_EQ(CDeviceProfileUI::tabNumber("device_add_btn"), 0);
}

TEST_F(DeviceProfileTest, MenuDropsDownBelowTheSelectorInsideThePageAndHidesWithIt)
{
    auto page = test::buildMousePage(real);
    ASSERT_TRUE(page);
    auto* built = page->findChild<CDeviceProfileUI*>("DeviceProfileItem");
    ASSERT_NE(built, nullptr);
    page->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(page.get()));
    EXPECT_FALSE(built->isProfileMenuVisible());

    built->showProfileMenu(true);
    ASSERT_TRUE(built->isProfileMenuVisible());
    QWidget* menu = built->profileMenu();
    const QRect panel(menu->mapTo(page.get(), QPoint(0, 0)), menu->size());
    const QPoint selectorBottom = built->mapTo(page.get(), QPoint(0, built->height()));
    EXPECT_GE(panel.top(), selectorBottom.y());
    EXPECT_TRUE(page->rect().contains(panel)) << panel.x() << ',' << panel.y();
    EXPECT_TRUE(menu->parentWidget()->rect().contains(menu->geometry())) << "clipped by its parent";

    built->showProfileMenu(false);
    EXPECT_FALSE(built->isProfileMenuVisible());
    built->showProfileMenu(true);
    built->hide();
    EXPECT_FALSE(built->isProfileMenuVisible());
}

}  // namespace
}  // namespace kestrion
