// The country code table "Таблица кодов стран": its texts, the quick search
// and its key filters, the sort that outlives the dialog, the record form
// and its key filters, Edit, Add and Delete keyed on the record itself
// (countries share dial codes), and help.

#include "DialogFakes.h"
#include "DirectoryFixture.h"

#include "directories/DirectoryTables.h"
#include "directories/SqliteTableFile.h"
#include "directories/dialogs/CodeEditForm.h"
#include "directories/dialogs/DirectoryGrid.h"
#include "directories/dialogs/TXCONTRY.h"
#include "support/HelpNote.h"
#include "widgets/LayoutScale.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolBar>

namespace korvane::test {
namespace {

class CountryCodesTest : public DirectoryFixture {
protected:
    // A small table where dial codes and a name repeat.
    void WriteCountries()
    {
        QString error;
        ASSERT_TRUE(WriteTableFile(DbFile(QStringLiteral("COUNTRY.DB")), QStringLiteral("country.db"),
                                   CountryTableColumns(),
                                   {{1, "Россия", "7", "RU"},
                                    {2, "Казахстан", "7", "KZ"},
                                    {3, "Кот-д'Ивуар", "225", "CI"},
                                    {4, "Украина", "380", "UA"},
                                    {5, "Сербия", "381", "RS"},
                                    {6, "Конго", "242", "CG"},
                                    {7, "Конго", "243", "CD"}},
                                   error))
            << error.toStdString();
    }
    void Open()
    {
        Start();
        ASSERT_TRUE(module->CountryQuery.Active()) << box.texts().join('\n').toStdString();
        box.shown.clear();
    }
    TCountryDBListDlg& Dialog()
    {
        if (!dlg) {
            DirectoryDialogEnvironment env;
            env.Box = &box;
            env.ExecForm = form.Exec();
            dlg = std::make_unique<TCountryDBListDlg>(*module, std::move(env));
        }
        return *dlg;
    }
    BrowseQuery& q() { return module->CountryQuery; }
    QStringList Column(QStringView field)
    {
        QStringList out;
        for (int row = 0; row < q().RecordCount(); ++row)
            out << q().CellText(row, q().FieldIndex(field));
        return out;
    }
    QString Current(QStringView field = u"COUNTRY_NAME") { return q().FieldAsText(field); }
    void Types(const QString& letters, const QString& code, const QString& name)
    {
        form.Fill = [=](QDialog& d) {
            auto& f = static_cast<TCodeEditForm&>(d);
            Retype(f.LettEdit(), letters);
            if (f.CodeEdit()->isEnabled())
                Retype(f.CodeEdit(), code);
            Retype(f.NameEdit(), name);
        };
    }

    FormOperator form;
    std::unique_ptr<TCountryDBListDlg> dlg;
};

TEST_F(CountryCodesTest, TheWindowAndItsRecordFormCarryTheirTexts)
{
    WriteCountries();
    Open();
    TCountryDBListDlg& d = Dialog();
    EXPECT_EQ(d.windowTitle(), "Таблица кодов стран");
    EXPECT_TRUE(d.isModal());
    QStringList bar;
    for (QAction* a : d.ToolBar()->actions())
        bar << a->text() + " / " + a->toolTip();
    EXPECT_EQ(bar, QStringList({"Редактировать / Редактировать запись", "Добавить / Добавить запись",
                                "Удалить / Удалить запись"}));
    EXPECT_EQ(d.EntryLabel()->text(), "Быстрый поиск");
    EXPECT_EQ(d.QuickSearchRadioGroup()->title(), "Тип поиска");
    EXPECT_EQ(QStringList({d.SearchButton(0)->text(), d.SearchButton(1)->text(), d.SearchButton(2)->text()}),
              QStringList({"Страна", "Код", "Кратко"}));
    EXPECT_EQ(d.SearchModeIndex(), 0);
    EXPECT_EQ(d.CountriesDBGrid()->Titles(), QStringList({"№", "СТРАНА", "КОД", "КРАТКО"}));
    EXPECT_EQ(d.CountriesDBGrid()->ColumnWidth(0), LayoutScale(d.CountriesDBGrid()).X(30));
    EXPECT_EQ(d.CallLabel()->text(), "1/7 Россия 7 RU");
    EXPECT_EQ(d.OKBtn()->text(), "OK");

    QStringList seen;
    form.Answer = QDialog::Rejected;
    form.Fill = [&](QDialog& dialog) {
        auto& f = static_cast<TCodeEditForm&>(dialog);
        f.show();
        seen << f.windowTitle() << f.TitleLabel()->text() << f.LettLabel()->text() << f.CodeLabel()->text()
             << f.NameLabel()->text() << f.OKBtn()->text() << f.CancelBtn()->text() << f.HelpBitBtn()->text()
             << f.HelpBitBtn()->toolTip() << (f.CodeEdit()->isEnabled() ? "code open" : "code fixed")
             << f.LettEdit()->text() + "|" + f.CodeEdit()->text() + "|" + f.NameEdit()->text();
        // Shown top to bottom: letters, code, name; the letters first in focus.
        EXPECT_LT(f.LettEdit()->y(), f.CodeEdit()->y());
        EXPECT_LT(f.CodeEdit()->y(), f.NameEdit()->y());
        EXPECT_EQ(f.focusWidget(), f.LettEdit());
        f.hide();
    };
    d.EditActionExecute();
    d.AddActionExecute();
    const QStringList common = {"Заполните необходимые поля записи", "Символьный код:", "Код страны:",
                                "Название страны:", "OK", "Отмена", "&Help", "Помощь"};
    const QStringList edit =
        QStringList{"Редактирование записи"} + common + QStringList{"code fixed", "RU|7|Россия"};
    const QStringList add = QStringList{"Добавление записи"} + common + QStringList{"code open", "RU|7|Россия"};
    EXPECT_EQ(seen, edit + add);
}

TEST_F(CountryCodesTest, KeyFiltersOfTheRecordFormAndTheQuickSearch)
{
    WriteCountries();
    Open();
    TCountryDBListDlg& d = Dialog();
    TCodeEditForm f(box);
    struct Case {
        QLineEdit* edit;
        QString typed;
        QString shown;
    };
    const Case cases[] = {
        {f.LettEdit(), "ru", "RU"},
        {f.LettEdit(), "a!b", "AB"},
        {f.LettEdit(), "[1x2", "[1X"}, // 'A' to 'z' includes the six between the cases
        {f.CodeEdit(), "3a8-1", "381"},
        {f.CodeEdit(), "1234567", "12345"},
        {f.NameEdit(), "Кот-д'Ивуар", "Кот-дИвуар"},
        {f.NameEdit(), "Côte 1", "Cte 1"},
        {f.NameEdit(), QString(45, u'Я'), QString(40, u'Я')},
        {d.EntryEdit(), QString(45, u'ы'), QString(40, u'ы')},
    };
    for (const Case& c : cases) {
        Retype(c.edit, c.typed);
        EXPECT_EQ(c.edit->text(), c.shown) << c.typed.toStdString();
        QTest::keyClick(c.edit, Qt::Key_Backspace);
        EXPECT_EQ(c.edit->text(), c.shown.chopped(1)) << c.typed.toStdString();
    }
    d.SearchButton(1)->click(); // "Код": three digits
    Retype(d.EntryEdit(), "3x8 12");
    EXPECT_EQ(d.EntryEdit()->text(), "381");
    d.SearchButton(2)->click(); // "Кратко": any three
    Retype(d.EntryEdit(), "r-sx");
    EXPECT_EQ(d.EntryEdit()->text(), "r-s");
}

TEST_F(CountryCodesTest, QuickSearchByNameCodeAndLetters)
{
    WriteCountries();
    Open();
    TCountryDBListDlg& d = Dialog();
    struct Case {
        int mode;
        const char* typed;
        const char* found;
    };
    const Case cases[] = {
        {0, "каз", "Казахстан"},  {0, " УКР ", "Украина"}, {0, "кот-д'", "Кот-д'Ивуар"},
        {1, "38", "Украина"},     {1, "381", "Сербия"},    {1, "24", "Конго"},
        {2, "rs", "Сербия"},      {2, "k", "Казахстан"},
    };
    for (const Case& c : cases) {
        if (d.SearchModeIndex() != c.mode)
            d.SearchButton(c.mode)->click();
        Retype(d.EntryEdit(), QString::fromUtf8(c.typed));
        EXPECT_EQ(Current(), QString::fromUtf8(c.found)) << c.mode << " " << c.typed;
    }
    // Nothing matches: the current record stays.
    d.SearchButton(0)->click();
    Retype(d.EntryEdit(), "сер");
    TypeKeys(d.EntryEdit(), "z");
    EXPECT_EQ(Current(), "Сербия");
    d.SearchButton(2)->click();
    EXPECT_EQ(d.EntryEdit()->text(), "");
    EXPECT_EQ(q().RecNo(), 1);
}

TEST_F(CountryCodesTest, TheSortOrderOutlivesTheDialogWhoseTitlesLoseTheirMarks)
{
    WriteCountries();
    Open();
    Dialog().CountriesDBGridTitleClick(2);
    EXPECT_EQ(dlg->CountriesDBGrid()->Titles(), QStringList({"№", "СТРАНА", "< КОД", "КРАТКО"}));
    q().Locate(u"COUNTRY_LETT", QStringLiteral("KZ"));
    dlg->CountriesDBGridTitleClick(2);
    EXPECT_EQ(dlg->CountriesDBGrid()->Titles(), QStringList({"№", "СТРАНА", "> КОД", "КРАТКО"}));
    // The record that was current stays, although Россия shares its code.
    EXPECT_EQ(Current(), "Казахстан");
    dlg.reset();
    TCountryDBListDlg& again = Dialog();
    EXPECT_EQ(again.CountriesDBGrid()->Titles(), QStringList({"№", "СТРАНА", "КОД", "КРАТКО"}));
    EXPECT_EQ(Column(u"COUNTRY_CODE"), QStringList({"7", "7", "381", "380", "243", "242", "225"}));
    EXPECT_EQ(q().RecNo(), 1);
    EXPECT_EQ(again.CallLabel()->text(), QStringLiteral("1/7 %1 7 %2").arg(Current(), Current(u"COUNTRY_LETT")));
}

TEST_F(CountryCodesTest, EditChangesOnlyTheRecordShownThoughOthersShareItsCode)
{
    WriteCountries();
    Open();
    TCountryDBListDlg& d = Dialog();
    q().Locate(u"COUNTRY_LETT", QStringLiteral("KZ"));
    Types("kaz", QString(), "Республика Казахстан");
    d.EditActionExecute();
    EXPECT_EQ(Column(u"COUNTRY_NAME"),
              QStringList({"Россия", "Республика Казахстан", "Кот-д'Ивуар", "Украина", "Сербия", "Конго", "Конго"}));
    EXPECT_EQ(Column(u"COUNTRY_LETT"), QStringList({"RU", "KAZ", "CI", "UA", "RS", "CG", "CD"}));
    EXPECT_EQ(Column(u"COUNTRY_CODE"), QStringList({"7", "7", "225", "380", "381", "242", "243"}));
    EXPECT_EQ(Current(), "Республика Казахстан");
    EXPECT_EQ(d.CallLabel()->text(), "2/7 Республика Казахстан 7 KAZ");
    EXPECT_TRUE(box.shown.isEmpty());
}

// The shipped table holds names longer than the 40 characters the form
// lets the operator type: an edit shows and keeps them whole.
TEST_F(CountryCodesTest, EditKeepsANameLongerThanTheTypingLimitWhole)
{
    const QString name = QStringLiteral("Остров Святой Елены, Остров Вознесения и Тристан-да-Кунья");
    ASSERT_GT(name.size(), TCodeEditForm::NameLength);
    QString error;
    ASSERT_TRUE(WriteTableFile(DbFile(QStringLiteral("COUNTRY.DB")), QStringLiteral("country.db"),
                               CountryTableColumns(), {{1, name, "290", "SH"}, {2, "Россия", "7", "RU"}}, error))
        << error.toStdString();
    Open();
    TCountryDBListDlg& d = Dialog();
    QString shown;
    form.Fill = [&](QDialog& dialog) {
        auto& f = static_cast<TCodeEditForm&>(dialog);
        shown = f.NameEdit()->text();
        TypeKeys(f.NameEdit(), QStringLiteral("Я"));
        EXPECT_EQ(f.NameEdit()->text(), name);
        Retype(f.LettEdit(), QStringLiteral("shn"));
    };
    d.EditActionExecute();
    EXPECT_EQ(shown, name);
    EXPECT_EQ(Column(u"COUNTRY_NAME"), QStringList({name, "Россия"}));
    EXPECT_EQ(Column(u"COUNTRY_LETT"), QStringList({"SHN", "RU"}));
    EXPECT_TRUE(box.shown.isEmpty()) << box.texts().join('\n').toStdString();
}

TEST_F(CountryCodesTest, AddRefusesAKnownNameButTakesASharedCodeUnderANewName)
{
    WriteCountries();
    Open();
    TCountryDBListDlg& d = Dialog();
    q().Locate(u"COUNTRY_LETT", QStringLiteral("KZ"));
    form.Fill = nullptr; // confirmed unchanged
    d.AddActionExecute();
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].text, "Уже существует запись с кодом: 7");
    EXPECT_EQ(box.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(box.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(Current(), "Казахстан");
    EXPECT_EQ(q().RecordCount(), 7);

    // A shared code under another name is another country.
    Types("ab", "7", "Абхазия");
    d.AddActionExecute();
    EXPECT_EQ(Current(), "Абхазия");
    EXPECT_EQ(Current(u"COUNTRY_CODE"), "7");
    EXPECT_EQ(q().RecordCount(), 8);
    EXPECT_EQ(box.shown.size(), 1);

    // A known name under another code: warned, that country current, nothing added.
    Types("ua", "3800", "Украина");
    d.AddActionExecute();
    ASSERT_EQ(box.shown.size(), 2);
    EXPECT_EQ(box.shown[1].text, "Уже существует запись с именем: Украина");
    EXPECT_EQ(box.shown[1].icon, MessageIcon::Warning);
    EXPECT_EQ(box.shown[1].buttons, MessageButtons::Ok);
    EXPECT_EQ(Current(), "Украина");
    EXPECT_EQ(Current(u"COUNTRY_CODE"), "380");
    EXPECT_EQ(q().RecordCount(), 8);
    EXPECT_FALSE(Column(u"COUNTRY_CODE").contains("3800"));
}

TEST_F(CountryCodesTest, DeleteRemovesTheOneRecordEvenWithAQuoteInItsName)
{
    WriteCountries();
    Open();
    TCountryDBListDlg& d = Dialog();
    q().Locate(u"COUNTRY_LETT", QStringLiteral("CI"));
    box.answers = {MessageResult::No};
    d.DeleteActionExecute();
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].text, "Вы уверены, что хотите удалить \rзапись: \"Кот-д'Ивуар\"?");
    EXPECT_EQ(box.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(box.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(q().RecordCount(), 7);
    d.DeleteActionExecute(); // Yes
    EXPECT_EQ(Column(u"COUNTRY_LETT"), QStringList({"RU", "KZ", "UA", "RS", "CG", "CD"}));
    EXPECT_EQ(Current(u"COUNTRY_LETT"), "KZ"); // the record before the deleted one

    // One of two countries of the same name.
    q().Locate(u"COUNTRY_LETT", QStringLiteral("CD"));
    d.DeleteActionExecute();
    EXPECT_EQ(Column(u"COUNTRY_LETT"), QStringList({"RU", "KZ", "UA", "RS", "CG"}));
    EXPECT_EQ(Current(u"COUNTRY_LETT"), "CG");
    q().First();
    d.DeleteActionExecute();
    EXPECT_EQ(Column(u"COUNTRY_LETT"), QStringList({"KZ", "UA", "RS", "CG"}));
    EXPECT_EQ(q().RecNo(), 1);
    EXPECT_EQ(box.shown.size(), 4);
}

TEST_F(CountryCodesTest, ARefusedChangeIsReportedAndChangesNothing)
{
    QList<TableColumn> columns = CountryTableColumns();
    columns[1].Declaration += QStringLiteral(" CHECK (COUNTRY_NAME <> 'Нет')");
    QString error;
    ASSERT_TRUE(WriteTableFile(DbFile(QStringLiteral("COUNTRY.DB")), QStringLiteral("country.db"), columns,
                               {{1, "Россия", "7", "RU"}}, error));
    Open();
    TCountryDBListDlg& d = Dialog();
    Types("xx", "999", "Нет");
    d.AddActionExecute();
    Types("xx", QString(), "Нет");
    d.EditActionExecute();
    EXPECT_EQ(Column(u"COUNTRY_NAME"), QStringList({"Россия"}));
    EXPECT_EQ(Column(u"COUNTRY_LETT"), QStringList({"RU"}));
    ASSERT_EQ(box.shown.size(), 2);
    EXPECT_EQ(box.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(box.shown[1].icon, MessageIcon::Error);
}

TEST_F(CountryCodesTest, HelpOfTheDialogAndOfTheRecordFormShowTheNoteAndAreLogged)
{
    WriteCountries();
    Open();
    ScopedLog log;
    TCountryDBListDlg& d = Dialog();
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    d.HelpBtn()->click();
    QTest::keyClick(&d, Qt::Key_F1);
    form.Answer = QDialog::Rejected;
    form.Fill = [](QDialog& f) {
        auto& r = static_cast<TCodeEditForm&>(f);
        r.HelpBitBtn()->click();
        r.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&r));
        QTest::keyClick(&r, Qt::Key_F1);
        r.hide();
    };
    d.EditActionExecute();
    EXPECT_EQ(box.texts(), QStringList({HelpNoteText(60), HelpNoteText(60), HelpNoteText(120), HelpNoteText(120)}));
    EXPECT_EQ(log.Text().count(QStringLiteral("Запрошена справка, раздел 60")), 2);
    EXPECT_EQ(log.Text().count(QStringLiteral("Запрошена справка, раздел 120")), 2);
}

#ifdef KORVANE_COUNTRY_TABLE
// The shipped table: its countries of a shared code are kept apart.
TEST_F(CountryCodesTest, OnTheShippedTableCountriesOfOneCodeAreEditedApart)
{
    ASSERT_TRUE(QFile::copy(QStringLiteral(KORVANE_COUNTRY_TABLE), DbFile(QStringLiteral("COUNTRY.DB"))));
    QFile(DbFile(QStringLiteral("COUNTRY.DB"))).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    Open();
    TCountryDBListDlg& d = Dialog();
    const int records = q().RecordCount();
    Retype(d.EntryEdit(), "казах");
    ASSERT_EQ(Current(), "Казахстан");
    Types("KZ", QString(), "Казахстан 2");
    d.EditActionExecute();
    EXPECT_EQ(Current(), "Казахстан 2");
    ASSERT_TRUE(q().Locate(u"COUNTRY_LETT", QStringLiteral("RU")));
    EXPECT_EQ(Current(), "Российская Федерация");
    d.SearchButton(1)->click();
    Retype(d.EntryEdit(), "7");
    EXPECT_EQ(Current(u"COUNTRY_CODE"), "7");
    d.DeleteActionExecute();
    EXPECT_EQ(q().RecordCount(), records - 1);
    EXPECT_TRUE(q().Locate(u"COUNTRY_CODE", QStringLiteral("7")));
}
#endif

} // namespace
} // namespace korvane::test
