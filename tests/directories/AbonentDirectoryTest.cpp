// The subscriber directory "Список абонентов": its texts, the quick search
// and its key filters, the sort cycle, the record commands with their
// messages, the import, "Телеграмма" and help.

#include "DialogFakes.h"
#include "DirectoryFixture.h"

#include "directories/DirectoryTables.h"
#include "directories/SqliteTableFile.h"

#include "directories/dialogs/AbonentEditForm.h"
#include "directories/dialogs/AbonentImportFile.h"
#include "directories/dialogs/DirectoryGrid.h"
#include "directories/dialogs/Txabnent.h"
#include "platform/CodePages.h"
#include "support/HelpNote.h"
#include "support/OemText.h"
#include "widgets/LayoutScale.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QStyle>
#include <QToolBar>
#include <QTimer>

namespace korvane::test {
namespace {

class AbonentDirectoryTest : public DirectoryFixture {
protected:
    void SetUp() override
    {
        DirectoryFixture::SetUp();
        Start();
        ASSERT_TRUE(module->AbonentQuery.Active());
        box.shown.clear(); // the missing country table's report
    }

    TAbonentAddressDlg& Dialog()
    {
        if (!dlg) {
            DirectoryDialogEnvironment env;
            env.Box = &box;
            env.ExecForm = form.Exec();
            env.Desk = &desk;
            env.ChooseImportFile = [this] { return importPath; };
            dlg = std::make_unique<TAbonentAddressDlg>(*module, std::move(env));
        }
        return *dlg;
    }
    BrowseQuery& q() { return module->AbonentQuery; }
    QStringList Column(QStringView field)
    {
        QStringList out;
        for (int row = 0; row < q().RecordCount(); ++row)
            out << q().CellText(row, q().FieldIndex(field));
        return out;
    }
    QString Current(QStringView field = u"ABONENT_No") { return q().FieldAsText(field); }
    // An import file in the OEM code page, lines ended CR LF.
    QString ImportFile(const QStringList& lines, const QString& name = QStringLiteral("import.txt"))
    {
        QByteArray bytes;
        for (const QString& l : lines)
            bytes += AnsiToOem(l) + "\r\n";
        const QString path = dir.filePath(name);
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        return path;
    }
    void Import(const QString& path)
    {
        importPath = path;
        Dialog().ImportActionExecute();
    }
    // The form's fields typed as the operator would.
    void Types(const QString& number, const QString& answerBack, const QString& name)
    {
        form.Fill = [=](QDialog& d) {
            auto& f = static_cast<TAbonentEditForm&>(d);
            if (f.AbNoEdit()->isEnabled())
                Retype(f.AbNoEdit(), number);
            Retype(f.AbAnsBkEdit(), answerBack);
            Retype(f.AbNameEdit(), name);
        };
    }

    FakeDesk desk;
    FormOperator form;
    QString importPath;
    std::unique_ptr<TAbonentAddressDlg> dlg;
};

TEST_F(AbonentDirectoryTest, TheWindowCarriesItsTextsInTheirOrder)
{
    TAbonentAddressDlg& d = Dialog();
    EXPECT_EQ(d.windowTitle(), "Список абонентов");
    QStringList bar;
    for (QAction* a : d.ToolBar()->actions())
        bar << (a->isSeparator() ? QStringLiteral("|") : a->text() + " / " + a->toolTip());
    EXPECT_EQ(bar, QStringList({"Редактировать / Редактировать запись", "Добавить / Добавить запись",
                                "Удалить / Удалить запись", "|",
                                "Телеграмма / Переслать номер абонента в заголовок телеграммы", "|",
                                "Импорт / Иморт базы данных абонентов из текстового файла"}));
    EXPECT_EQ(d.EntryLabel()->text(), "Быстрый поиск");
    EXPECT_EQ(d.QuickSearchRadioGroup()->title(), "Тип поиска");
    EXPECT_EQ(d.SearchButton(0)->text(), "Номер");
    EXPECT_EQ(d.SearchButton(1)->text(), "Название");
    EXPECT_EQ(d.SearchButton(2)->text(), "Автоответ");
    EXPECT_EQ(d.SearchModeIndex(), 0);
    EXPECT_EQ(d.AbonentDBGrid()->Titles(), QStringList({"№", "Номер", "Название", "Автоответ"}));
    const LayoutScale scale(d.AbonentDBGrid());
    const int widths[] = {26, 80, 220, 100};
    for (int c = 0; c < 4; ++c)
        EXPECT_GE(d.AbonentDBGrid()->ColumnWidth(c), scale.X(widths[c])) << c;
    EXPECT_EQ(d.AbonentDBGrid()->ColumnWidth(2), scale.X(220));
    EXPECT_EQ(d.AbonentDBGrid()->ColumnWidth(3), scale.X(100));
    EXPECT_EQ(d.OKBtn()->text(), "OK");
    EXPECT_EQ(d.HelpBtn()->text(), "&Help");
    EXPECT_EQ(d.OpenImportDlg()->nameFilters(), QStringList({"Text Files (*.txt)", "All Files (*.*)"}));
    // The record form of Edit and Add.
    AddSubscribers({{"+7-1", "ИВАНОВ", "IV 1"}});
    QStringList seen;
    form.Answer = QDialog::Rejected;
    form.Fill = [&](QDialog& f) {
        auto& r = static_cast<TAbonentEditForm&>(f);
        seen << r.windowTitle() << r.TitleLabel()->text() << r.AbNoLabel()->text() << r.AbAnsBkLabel()->text()
             << r.AbNameLabel()->text() << r.OKBtn()->text() << r.CancelBtn()->text()
             << (r.AbNoEdit()->isEnabled() ? "number open" : "number fixed") << r.AbNoEdit()->text()
             << r.AbAnsBkEdit()->text() << r.AbNameEdit()->text();
    };
    d.EditActionExecute();
    d.AddActionExecute();
    const QStringList common = {"Заполните необходимые поля записи", "Номер абонента:", "Автоответ:", "Адрес", "OK",
                                "Отмена"};
    const QStringList edit = QStringList{"Редактирование записи"} + common +
                             QStringList{"number fixed", "+7-1", "IV 1", "ИВАНОВ"};
    const QStringList add = QStringList{"Добавление записи"} + common +
                            QStringList{"number open", "+7-1", "IV 1", "ИВАНОВ"};
    EXPECT_EQ(seen, edit + add);
    EXPECT_EQ(d.RecordForm(), nullptr); // freed after each command
}

TEST_F(AbonentDirectoryTest, TheRecordLineFollowsTheCurrentRecord)
{
    AddSubscribers({{"+7-1", "ИВАНОВ", "IV 1"}, {"+7-2", "ПЕТРОВ", ""}});
    TAbonentAddressDlg& d = Dialog();
    EXPECT_EQ(d.CallLabel()->text(), "1/2 +7-1 ИВАНОВ IV 1");
    q().Next(); // as the engine's look-up moves it
    EXPECT_EQ(d.CallLabel()->text(), "2/2 +7-2 ПЕТРОВ ");
    EXPECT_EQ(d.AbonentDBGrid()->currentIndex().row(), 1);
    d.AbonentDBGrid()->selectRow(0); // the operator's click
    EXPECT_EQ(q().RecNo(), 1);
    EXPECT_EQ(d.CallLabel()->text(), "1/2 +7-1 ИВАНОВ IV 1");
}

TEST_F(AbonentDirectoryTest, KeyFiltersOfTheRecordFormAndTheQuickSearch)
{
    TAbonentAddressDlg& d = Dialog();
    TAbonentEditForm f;
    struct Case {
        QLineEdit* edit;
        QString typed;
        QString shown;
    };
    const QString digits25 = QStringLiteral("1234567890123456789012345");
    const QString letters70 = QString(70, u'ж');
    const Case cases[] = {
        {f.AbNoEdit(), "+7-495.12ab x/3", "+7-495.123"},
        {f.AbNoEdit(), digits25, digits25.left(20)},
        {f.AbAnsBkEdit(), "abc 12 жд", "ABC 12 жд"},
        {f.AbAnsBkEdit(), digits25, digits25.left(20)},
        {f.AbNameEdit(), "ooo roga", "OOO ROGA"},
        {f.AbNameEdit(), letters70, letters70.left(60)},
        // The quick search: numbers up to 60 characters, text up to 20.
        {d.EntryEdit(), "+7 ab-1.2", "+7-1.2"},
        {d.EntryEdit(), QString(70, u'5'), QString(60, u'5')},
    };
    for (const Case& c : cases) {
        Retype(c.edit, c.typed);
        EXPECT_EQ(c.edit->text(), c.shown) << c.typed.toStdString();
        // Backspace deletes whatever the field holds.
        QTest::keyClick(c.edit, Qt::Key_Backspace);
        EXPECT_EQ(c.edit->text(), c.shown.chopped(1)) << c.typed.toStdString();
    }
    // Pasted text keeps to the lengths as well.
    QApplication::clipboard()->setText(letters70);
    f.AbNameEdit()->clear();
    QTest::keyClick(f.AbNameEdit(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(f.AbNameEdit()->text(), letters70.left(60));
    d.SearchButton(1)->click();
    Retype(d.EntryEdit(), "abc " + letters70);
    EXPECT_EQ(d.EntryEdit()->text(), ("abc " + letters70).left(20));
    QTest::keyClick(d.EntryEdit(), Qt::Key_Backspace);
    EXPECT_EQ(d.EntryEdit()->text().size(), 19);
}

// A table whose fields are wider than the form's typing limits: what the
// form reads from it is shown and saved whole; only typing stops at the limit.
TEST_F(AbonentDirectoryTest, ValuesLongerThanTheTypingLimitsAreKeptWhole)
{
    module.reset();
    ASSERT_TRUE(QFile::remove(DbFile(QStringLiteral("abonents.db"))));
    QList<TableColumn> columns = AbonentsTableColumns();
    columns[1] = TextColumn(QStringLiteral("ABONENT_No"), 30);
    columns[2] = TextColumn(QStringLiteral("ABONENT_Name"), 100);
    columns[4] = TextColumn(QStringLiteral("ABONENT_AnsBk"), 30);
    const QString number = QStringLiteral("+7-495-123456789012345678");   // 25
    const QString name = QString(80, u'Ж');
    const QString answerBack = QStringLiteral("123456789012345678 ZAVOD"); // 24
    QString error;
    ASSERT_TRUE(WriteTableFile(DbFile(QStringLiteral("abonents.db")), QStringLiteral("abonents.db"), columns,
                               {{1, number, name, QVariant(), answerBack}}, error))
        << error.toStdString();
    Start();
    box.shown.clear();
    TAbonentAddressDlg& d = Dialog();
    QStringList shown;
    form.Fill = [&](QDialog& dialog) {
        auto& f = static_cast<TAbonentEditForm&>(dialog);
        shown << f.AbNoEdit()->text() << f.AbAnsBkEdit()->text() << f.AbNameEdit()->text();
        // Typing adds nothing to a field at or over its limit; Backspace works.
        TypeKeys(f.AbNameEdit(), QStringLiteral("Я"));
        TypeKeys(f.AbAnsBkEdit(), QStringLiteral("X"));
        EXPECT_EQ(f.AbNameEdit()->text(), name);
        EXPECT_EQ(f.AbAnsBkEdit()->text(), answerBack);
        QTest::keyClick(f.AbAnsBkEdit(), Qt::Key_Backspace);
        EXPECT_EQ(f.AbAnsBkEdit()->text(), answerBack.chopped(1));
        TypeKeys(f.AbAnsBkEdit(), QStringLiteral("D")); // still 23 of 20
        EXPECT_EQ(f.AbAnsBkEdit()->text(), answerBack.chopped(1));
    };
    d.EditActionExecute();
    EXPECT_EQ(shown, QStringList({number, answerBack, name}));
    EXPECT_EQ(Current(), number);
    EXPECT_EQ(Current(u"ABONENT_Name"), name);
    EXPECT_EQ(Current(u"ABONENT_AnsBk"), answerBack.chopped(1));
    EXPECT_TRUE(box.shown.isEmpty()) << box.texts().join('\n').toStdString();
}

TEST_F(AbonentDirectoryTest, QuickSearchByNumberNameAndAnswerback)
{
    AddSubscribers({{"812-1", "ИВАНОВ", "IVAN 1"}, {"+7-2", "Петров", "petr"}, {"+7-3", "ПЕТРОВ И К", "PK"},
                    {"+70", "СИДОРОВ", "sid 9"}});
    TAbonentAddressDlg& d = Dialog();
    struct Case {
        int mode;
        const char* typed;
        const char* found; // the number of the current record afterwards
    };
    const Case cases[] = {
        {0, "+7", "+7-2"},     {0, "+70", "+70"},      {0, "+709", "+70"}, // no match: stays
        {1, "пет", "+7-3"},    {1, "  ив  ", "812-1"}, // upper-cased, trimmed; letter case counts
        {2, "SID", "+70"},     {2, "pe", "+7-2"},      {2, "iv", "812-1"},
    };
    for (const Case& c : cases) {
        if (d.SearchModeIndex() != c.mode)
            d.SearchButton(c.mode)->click();
        Retype(d.EntryEdit(), QString::fromUtf8(c.typed));
        EXPECT_EQ(Current(), QString::fromUtf8(c.found)) << c.mode << " " << c.typed;
    }
    // A click on a search type empties the field and shows the first record.
    d.SearchButton(0)->click();
    EXPECT_EQ(d.EntryEdit()->text(), "");
    EXPECT_EQ(q().RecNo(), 1);
}

TEST_F(AbonentDirectoryTest, TitleClicksCycleTheSortMarksAndKeepTheCurrentRecord)
{
    AddSubscribers({{"300", "БЕТА", ""}, {"100", "ВЕГА", ""}, {"200", "АЛЬФА", ""}});
    TAbonentAddressDlg& d = Dialog();
    q().Locate(u"ABONENT_No", QStringLiteral("100"));
    DirectoryGrid& grid = *d.AbonentDBGrid();
    d.AbonentDBGridTitleClick(2);
    EXPECT_EQ(grid.Titles(), QStringList({"№", "Номер", "< Название", "Автоответ"}));
    EXPECT_EQ(Column(u"ABONENT_Name"), QStringList({"АЛЬФА", "БЕТА", "ВЕГА"}));
    EXPECT_EQ(Current(), "100");
    d.AbonentDBGridTitleClick(2);
    EXPECT_EQ(grid.Titles(), QStringList({"№", "Номер", "> Название", "Автоответ"}));
    EXPECT_EQ(Column(u"ABONENT_Name"), QStringList({"ВЕГА", "БЕТА", "АЛЬФА"}));
    EXPECT_EQ(Current(), "100");
    EXPECT_EQ(grid.currentIndex().row(), 0);
    d.AbonentDBGridTitleClick(1);
    EXPECT_EQ(grid.Titles(), QStringList({"№", "< Номер", "Название", "Автоответ"}));
    EXPECT_EQ(Column(u"ABONENT_No"), QStringList({"100", "200", "300"}));
    d.AbonentDBGridTitleClick(1);
    d.AbonentDBGridTitleClick(1);
    EXPECT_EQ(grid.Titles(), QStringList({"№", "< Номер", "Название", "Автоответ"}));
    // The header's own click reaches the same cycle.
    QHeaderView* header = grid.horizontalHeader();
    const int section = header->logicalIndexAt(header->sectionViewportPosition(header->logicalIndex(2)) + 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(section) + 5, 5));
    EXPECT_EQ(grid.Titles(), QStringList({"№", "Номер", "< Название", "Автоответ"}));
}

TEST_F(AbonentDirectoryTest, EditStoresUpperCaseInEveryRecordOfTheNumber)
{
    AddSubscribers({{"555", "СТАРЫЙ", "OLD"}, {"777", "ДРУГОЙ", "X"}, {"555", "ДУБЛЬ", "DUP"}});
    TAbonentAddressDlg& d = Dialog();
    Types(QString(), "new ab", "новый адрес ltd");
    d.EditActionExecute();
    EXPECT_EQ(Column(u"ABONENT_Name"), QStringList({"НОВЫЙ АДРЕС LTD", "ДРУГОЙ", "НОВЫЙ АДРЕС LTD"}));
    EXPECT_EQ(Column(u"ABONENT_AnsBk"), QStringList({"NEW AB", "X", "NEW AB"}));
    EXPECT_EQ(Current(), "555");
    EXPECT_TRUE(box.shown.isEmpty());
    // Cancel changes nothing.
    form.Answer = QDialog::Rejected;
    Types(QString(), "zzz", "zzz");
    d.EditActionExecute();
    EXPECT_EQ(Column(u"ABONENT_AnsBk"), QStringList({"NEW AB", "X", "NEW AB"}));
}

TEST_F(AbonentDirectoryTest, AddRefusesAKnownNumberAndShowsTheNewRecord)
{
    AddSubscribers({{"100", "ПЕРВЫЙ", "A1"}, {"200", "ВТОРОЙ", "B2"}});
    TAbonentAddressDlg& d = Dialog();
    q().Last();
    form.Fill = nullptr; // confirmed as pre-filled
    d.AddActionExecute();
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].text, "Уже существует запись с номером: 200");
    EXPECT_EQ(box.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(box.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(q().RecordCount(), 2);

    Types("150", "new 1", "новый");
    d.AddActionExecute();
    EXPECT_EQ(Column(u"ABONENT_No"), QStringList({"100", "200", "150"}));
    EXPECT_EQ(Current(), "150");
    EXPECT_EQ(Current(u"ABONENT_Name"), "НОВЫЙ");
    EXPECT_EQ(Current(u"ABONENT_AnsBk"), "NEW 1");
    EXPECT_EQ(d.CallLabel()->text(), "3/3 150 НОВЫЙ NEW 1");
    EXPECT_EQ(box.shown.size(), 1);
}

TEST_F(AbonentDirectoryTest, DeleteAsksThenLeavesTheRecordBeforeCurrent)
{
    AddSubscribers({{"100", "ПЕРВЫЙ", ""}, {"200", "ВТОРОЙ", ""}, {"300", "ТРЕТИЙ", ""}});
    TAbonentAddressDlg& d = Dialog();
    q().Locate(u"ABONENT_No", QStringLiteral("300"));
    box.answers = {MessageResult::No};
    d.DeleteActionExecute();
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].text, "Вы уверены, что хотите удалить \rзапись: \"300 ТРЕТИЙ\"?");
    EXPECT_EQ(box.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(box.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(q().RecordCount(), 3);

    d.DeleteActionExecute(); // Yes
    EXPECT_EQ(Column(u"ABONENT_No"), QStringList({"100", "200"}));
    EXPECT_EQ(Current(), "200");
    q().First();
    d.DeleteActionExecute();
    EXPECT_EQ(Column(u"ABONENT_No"), QStringList({"200"}));
    EXPECT_EQ(q().RecNo(), 1);
    d.DeleteActionExecute();
    EXPECT_TRUE(q().IsEmpty());
    EXPECT_EQ(q().CurrentRow(), -1);
    EXPECT_EQ(d.CallLabel()->text(), "0/0   ");
    // Nothing current: nothing to ask about or delete.
    d.DeleteActionExecute();
    EXPECT_EQ(box.shown.size(), 4);
}

TEST_F(AbonentDirectoryTest, AnImportedNumberShapedLikeSqlDeletesOnlyItself)
{
    Import(ImportFile({"1' OR '1'='1", "ХИТРЫЙ", "", "100", "ПЕРВЫЙ", "", "200", "ВТОРОЙ", ""}));
    TAbonentAddressDlg& d = Dialog();
    ASSERT_TRUE(q().Locate(u"ABONENT_No", QStringLiteral("1' OR '1'='1")));
    d.DeleteActionExecute();
    EXPECT_EQ(box.texts(), QStringList({"Вы уверены, что хотите удалить \rзапись: \"1' OR '1'='1 ХИТРЫЙ\"?"}));
    EXPECT_EQ(Column(u"ABONENT_No"), QStringList({"100", "200"}));
}

TEST_F(AbonentDirectoryTest, ImportReadsThreeLinesPerRecordAsTheyAre)
{
    AddSubscribers({{"100", "ЕСТЬ", "AB"}});
    // Seven lines: the third record is line 7 alone, with an empty name.
    Import(ImportFile({"+7-495", "ооо Рога", "игнор", "100", "ЕЩЁ РАЗ", "x", "812"}));
    EXPECT_EQ(Column(u"ABONENT_No"), QStringList({"100", "+7-495", "100", "812"}));
    EXPECT_EQ(Column(u"ABONENT_Name"), QStringList({"ЕСТЬ", "ооо Рога", "ЕЩЁ РАЗ", ""}));
    EXPECT_EQ(Column(u"ABONENT_AnsBk"), QStringList({"AB", "", "", ""}));
    EXPECT_EQ(q().RecNo(), 1);
    EXPECT_TRUE(box.shown.isEmpty());
    // Names are kept as imported: the search by name upper-cases what is
    // typed, so a name with lower-case letters is not found.
    TAbonentAddressDlg& d = Dialog();
    d.SearchButton(1)->click();
    Retype(d.EntryEdit(), QStringLiteral("ооо"));
    EXPECT_EQ(q().RecNo(), 1);
    Retype(d.EntryEdit(), QStringLiteral("ещё"));
    EXPECT_EQ(q().RecNo(), 3);
}

TEST_F(AbonentDirectoryTest, ImportOfAFileEndingInABlankLineAddsNoEmptySubscriber)
{
    Import(ImportFile({"100", "ПЕРВЫЙ", "", "200", "ВТОРОЙ", "", ""}));
    EXPECT_EQ(Column(u"ABONENT_No"), QStringList({"100", "200"}));
    Import(ImportFile({"300", "ТРЕТИЙ", "", "  ", "", "", "", ""}, QStringLiteral("blank.txt")));
    EXPECT_EQ(Column(u"ABONENT_No"), QStringList({"100", "200", "300"}));
}

TEST_F(AbonentDirectoryTest, ImportTakesTheFirst32CharactersOfTheNumberLine)
{
    const QString line = QStringLiteral("1234567890123456789012345678901234567890");
    ImportFile({line, "ИМЯ", ""});
    QList<ImportedAbonent> read;
    QString error;
    ASSERT_TRUE(AbonentImportFile::Read(dir.filePath("import.txt"), [&](const ImportedAbonent& r) { read << r; }, error));
    ASSERT_EQ(read.size(), 1);
    EXPECT_EQ(read[0].Number, line.left(32));
    EXPECT_EQ(read[0].Name, "ИМЯ");
}

// A record the table refuses is skipped, the others stay added, and the
// operator learns how many were left out.
class RefusingTableTest : public AbonentDirectoryTest {
protected:
    void SetUp() override
    {
        DirectoryFixture::SetUp();
        QList<TableColumn> columns = AbonentsTableColumns();
        columns[1].Declaration += QStringLiteral(" CHECK (length(ABONENT_No) <= 20)");
        columns[2].Declaration += QStringLiteral(" CHECK (ABONENT_Name <> 'ЗАПРЕТ')");
        QString error;
        ASSERT_TRUE(WriteTableFile(DbFile(QStringLiteral("ABONENTS.DB")), QStringLiteral("abonents.db"), columns, {},
                                   error));
        Start();
        box.shown.clear();
    }
};

TEST_F(RefusingTableTest, RefusedImportRecordsAreCountedAndReported)
{
    const QString longNumber = QStringLiteral("123456789012345678901234");
    Import(ImportFile({"100", "ПЕРВЫЙ", "", longNumber, "ДЛИННЫЙ", "", "200", "ВТОРОЙ", "", longNumber + "5", "", ""}));
    EXPECT_EQ(Column(u"ABONENT_No"), QStringList({"100", "200"}));
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].icon, MessageIcon::Warning);
    // The reason in the operator's words, with the table named.
    EXPECT_EQ(box.shown[0].text,
              QStringLiteral("Не импортировано записей: 2. Первая из них: \"%1\": поле «Номер абонента» таблицы %2 "
                             "вмещает не более 20 знаков")
                  .arg(longNumber, module->AbonentTablePath()));
}

TEST_F(RefusingTableTest, ARefusedEditOrAddIsReportedAndChangesNothing)
{
    AddSubscribers({{"100", "ПЕРВЫЙ", "A"}});
    TAbonentAddressDlg& d = Dialog();
    Types("200", "b", "запрет");
    d.AddActionExecute();
    Types(QString(), "c", "запрет");
    d.EditActionExecute();
    EXPECT_EQ(Column(u"ABONENT_No"), QStringList({"100"}));
    EXPECT_EQ(Column(u"ABONENT_Name"), QStringList({"ПЕРВЫЙ"}));
    ASSERT_EQ(box.shown.size(), 2);
    for (const auto& shown : box.shown) {
        EXPECT_EQ(shown.icon, MessageIcon::Error);
        EXPECT_EQ(shown.text, QStringLiteral("Запись не сохранена: таблица %1 не принимает такое значение")
                                  .arg(module->AbonentTablePath()));
    }
}

// A table that may only be read: every change says so, naming the file.
TEST_F(AbonentDirectoryTest, ChangesToATableThatMayOnlyBeReadAreReportedInRussian)
{
    AddSubscribers({{"100", "ПЕРВЫЙ", "A"}});
    TAbonentAddressDlg& d = Dialog();
    // What SQLite answers for a read-only file or folder.
    module->DynamicQuery.Clear();
    module->DynamicQuery.Add(QStringLiteral("PRAGMA query_only = ON"));
    ASSERT_TRUE(module->DynamicQuery.ExecSQL());
    const QString reason = QStringLiteral("таблица %1 доступна только для чтения (нет права записи в файл или в его папку)")
                               .arg(module->AbonentTablePath());
    Types("200", "b", "второй");
    d.AddActionExecute();
    Types(QString(), "c", "первый");
    d.EditActionExecute();
    d.DeleteActionExecute(); // Yes
    Import(ImportFile({"300", "ТРЕТИЙ", ""}));
    EXPECT_EQ(box.texts(), QStringList({"Запись не сохранена: " + reason, "Запись не сохранена: " + reason,
                                        "Вы уверены, что хотите удалить \rзапись: \"100 ПЕРВЫЙ\"?",
                                        "Запись не удалена: " + reason,
                                        "Не импортировано записей: 1. Первая из них: \"300\": " + reason}));
    EXPECT_EQ(Column(u"ABONENT_No"), QStringList({"100"}));
}

// What goes wrong with the import file is said in Russian, the file named;
// a file in the Windows code page is recognised and taken only when the
// operator agrees.
TEST_F(AbonentDirectoryTest, ImportFileProblemsAreSaidInTheOperatorsWords)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.txt")));
    Import(dir.filePath(QStringLiteral("folder.txt")));
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].text, QStringLiteral("Импорт невозможен: %1 — это папка, а не файл")
                                     .arg(QDir::toNativeSeparators(dir.filePath(QStringLiteral("folder.txt")))));
    EXPECT_TRUE(q().Active());

    QByteArray ansi;
    for (const char* line : {"64477", "МОРСКОЙ ПОРТ, ПРИЁМНАЯ", "", "812", "Петров и сыновья", ""})
        ansi += codepage::toCp1251(QString::fromUtf8(line)) + "\r\n";
    const QString path = dir.filePath(QStringLiteral("windows.txt"));
    ASSERT_TRUE(WriteFileBytes(path, ansi));
    box.shown.clear();
    box.answers = {MessageResult::No};
    Import(path);
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].icon, MessageIcon::Question);
    EXPECT_EQ(box.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_TRUE(box.shown[0].text.contains(QDir::toNativeSeparators(path))) << box.shown[0].text.toStdString();
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("CP1251"))) << box.shown[0].text.toStdString();
    EXPECT_TRUE(q().IsEmpty());
    EXPECT_TRUE(q().Active());
    Import(path); // Yes
    EXPECT_EQ(Column(u"ABONENT_Name"), QStringList({"МОРСКОЙ ПОРТ, ПРИЁМНАЯ", "Петров и сыновья"}));
    // A file in the DOS code page is taken without a question.
    box.shown.clear();
    Import(ImportFile({"100", "ПЕРВЫЙ", "", "200", "второй абонент", ""}));
    EXPECT_TRUE(box.shown.isEmpty()) << box.texts().join('\n').toStdString();
    EXPECT_EQ(Column(u"ABONENT_Name").mid(2), QStringList({"ПЕРВЫЙ", "второй абонент"}));
}

TEST_F(AbonentDirectoryTest, ACancelledOrFailedImportOpensTheTableAgain)
{
    AddSubscribers({{"100", "ПЕРВЫЙ", ""}, {"200", "ВТОРОЙ", ""}});
    q().Last();
    Import(QString()); // the file dialog cancelled
    EXPECT_TRUE(q().Active());
    EXPECT_EQ(q().RecNo(), 1);
    EXPECT_TRUE(box.shown.isEmpty());
    Import(dir.filePath("missing.txt"));
    EXPECT_TRUE(q().Active());
    EXPECT_EQ(q().RecordCount(), 2);
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].icon, MessageIcon::Error);
    EXPECT_TRUE(box.shown[0].text.contains(dir.filePath("missing.txt"))) << box.shown[0].text.toStdString();
}

// How long the import takes is measured in bench/SubscriberImportBench.
TEST_F(AbonentDirectoryTest, AnImportOf100000SubscribersImportsThemAllUnderTheWaitCursor)
{
    QByteArray bytes;
    constexpr int Records = 100000;
    bytes.reserve(Records * 40);
    for (int i = 0; i < Records; ++i)
        bytes += QByteArray::number(1000000 + i) + "\r\n" + AnsiToOem(QStringLiteral("АБОНЕНТ %1").arg(i)) + "\r\n\r\n";
    ASSERT_TRUE(WriteFileBytes(dir.filePath("big.txt"), bytes));
    TAbonentAddressDlg& d = Dialog();
    int shapeWhileReopened = -1;
    QObject::connect(&q(), &BrowseQuery::DataSetChanged, &d, [&] {
        if (q().Active() && QApplication::overrideCursor())
            shapeWhileReopened = QApplication::overrideCursor()->shape();
    });
    Import(dir.filePath("big.txt"));
    EXPECT_EQ(q().RecordCount(), Records);
    EXPECT_EQ(q().CellText(Records - 1, q().FieldIndex(u"ABONENT_Name")), QStringLiteral("АБОНЕНТ %1").arg(Records - 1));
    EXPECT_EQ(shapeWhileReopened, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(AbonentDirectoryTest, TelegramIsEnabledOnlyForARecordAndACurrentChannelWithADriver)
{
    TAbonentAddressDlg& d = Dialog();
    struct Case {
        bool records;
        int channel;
        bool driver;
        bool enabled;
    };
    const Case cases[] = {
        {false, 1, true, false}, {true, 0, true, false}, {true, 2, false, false}, {true, 2, true, true},
    };
    for (const Case& c : cases) {
        if (c.records && q().IsEmpty())
            AddSubscribers({{"100", "ПЕРВЫЙ", ""}});
        desk.Channel = c.channel;
        desk.Drivers = c.driver ? std::set<int>{c.channel} : std::set<int>{};
        d.AbonentNoTlgActionUpdate();
        EXPECT_EQ(d.AbonentNoTlgAction()->isEnabled(), c.enabled) << c.records << c.channel << c.driver;
    }
    // A channel without a driver: nothing is asked of the main window.
    desk.Drivers.clear();
    d.AbonentNoTlgActionExecute();
    EXPECT_TRUE(desk.Editors.empty());
}

TEST_F(AbonentDirectoryTest, TelegramAddressesTheFirstEditorOrANewTelegramOfTheCurrentChannel)
{
    AddSubscribers({{"+7-100", "ПЕРВЫЙ", ""}, {"200", "ВТОРОЙ", ""}});
    TAbonentAddressDlg& d = Dialog();
    desk.Channel = 3;
    desk.Drivers = {3};
    d.AbonentNoTlgActionExecute();
    ASSERT_EQ(desk.Editors.size(), 1u);
    EXPECT_EQ(desk.Editor(0).File, "OUT3/TEL00007.TLG");
    EXPECT_EQ(desk.Editor(0).Lines, QStringList({"|      #+7-100"}));
    EXPECT_EQ(desk.Editor(0).Shown, 1);
    // With editors open the first one gets the number, whatever its channel.
    desk.Editors.push_back(std::make_unique<FakeEditor>("OUT1/TEL00001.TLG", 1));
    q().Last();
    desk.Channel = 1;
    desk.Drivers = {1};
    d.AbonentNoTlgActionExecute();
    EXPECT_EQ(desk.Editors.size(), 2u);
    EXPECT_EQ(desk.Editor(0).Lines, QStringList({"|      #200", "|      #+7-100"}));
    EXPECT_EQ(desk.Editor(0).Shown, 2);
    EXPECT_TRUE(desk.Editor(1).Lines.isEmpty());
    EXPECT_EQ(desk.NextTelNo, 8);
}

TEST_F(AbonentDirectoryTest, HelpButtonAndF1ShowTheHelpNoteAndLogTheRequest)
{
    ScopedLog log;
    TAbonentAddressDlg& d = Dialog();
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    d.HelpBtn()->click();
    QTest::keyClick(&d, Qt::Key_F1);
    EXPECT_EQ(box.texts(), QStringList({HelpNoteText(80), HelpNoteText(80)}));
    EXPECT_EQ(box.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(log.Text().count(QStringLiteral("Запрошена справка, раздел 80")), 2);
}

// "№" holds a six-digit record number and "Номер" a number of 20
// characters: neither is cut.
TEST_F(AbonentDirectoryTest, RecordNumbersAndSubscriberNumbersAreShownWhole)
{
    const QStringList numbers = {"+7-495-1234567890123", "88888888888888888888", "+-.+-.+-.+-.+-.+-.+-", "1"};
    for (const QString& n : numbers)
        PrepareAbonentAdd(module->DynamicQuery, n, QStringLiteral("АБОНЕНТ"), QString()), module->DynamicQuery.ExecSQL();
    module->DynamicQuery.Clear();
    module->DynamicQuery.Add(QStringLiteral("UPDATE \"ABONENTS.DB\" SET ABONENT_ID = 999999 WHERE ABONENT_No = '1'"));
    ASSERT_TRUE(module->DynamicQuery.ExecSQL()) << module->DynamicQuery.LastError().toStdString();
    ASSERT_TRUE(module->OpenAbonentQuery(QStringLiteral("ABONENT_ID")));
    TAbonentAddressDlg& d = Dialog();
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    DirectoryGrid& grid = *d.AbonentDBGrid();
    const QFontMetrics metrics(grid.font());
    // The item view's text margins, as it elides a text that does not fit.
    const int margin = grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1;
    for (int row = 0; row < q().RecordCount(); ++row) {
        for (const QStringView field : {u"ABONENT_ID", u"ABONENT_No"}) {
            const QString text = q().CellText(row, q().FieldIndex(field));
            const QRect cell = grid.visualRect(grid.model()->index(row, q().FieldIndex(field)));
            EXPECT_LE(metrics.horizontalAdvance(text) + 2 * margin, cell.width()) << text.toStdString();
            // The column lies inside the grid's view, not cut by its edge.
            EXPECT_LE(cell.right(), grid.viewport()->width()) << text.toStdString();
        }
    }
    EXPECT_EQ(q().CellText(3, q().FieldIndex(u"ABONENT_ID")), "999999");
}

// The import's own file dialog, with its file name typed (which opens the
// completion list): once it closes, nothing of it stays on the screen.
TEST_F(AbonentDirectoryTest, TheImportsFileDialogLeavesNothingOnTheScreen)
{
    ImportFile({"100", "ПЕРВЫЙ", ""}, QStringLiteral("import.txt"));
    ImportFile({"200", "ВТОРОЙ", ""}, QStringLiteral("import2.txt"));
    DirectoryDialogEnvironment env;
    env.Box = &box;
    TAbonentAddressDlg d(*module, env);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    bool typed = false;
    QTimer::singleShot(0, &d, [&] {
        auto* fileDialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(fileDialog, nullptr);
        fileDialog->setDirectory(dir.path());
        auto* name = fileDialog->findChild<QLineEdit*>();
        ASSERT_NE(name, nullptr);
        name->setFocus();
        QTest::keyClicks(name, "imp");
        QTest::qWait(200); // the completion list opens
        QTest::keyClicks(name, "ort.txt");
        QTest::keyClick(name, Qt::Key_Return);
        typed = true;
    });
    d.ImportActionExecute();
    QApplication::processEvents();
    ASSERT_TRUE(typed);
    EXPECT_EQ(Column(u"ABONENT_No"), QStringList({"100"}));
    QStringList visible;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w != &d)
            visible << w->metaObject()->className();
    EXPECT_TRUE(visible.isEmpty()) << visible.join(' ').toStdString();
}

} // namespace
} // namespace korvane::test
