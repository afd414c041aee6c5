#include "ui/settings/DriverModesFiles.h"
#include "ui/settings/TxModeDr.h"

#include "platform/IniFile.h"
#include "tests/fakes/FakeMessageBox.h"
#include "tests/ui/QtPrinters.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>

#include <gtest/gtest.h>

#include <array>

using namespace korvane;
using korvane::test::FakeMessageBox;

namespace {

// The built-in bad-calls values, one row per category (OCC ... DIS).
constexpr std::array<std::array<int, 5>, 9> ExpectedPolicy = {{
    {4, 300, 10, 600, 3600},
    {4, 180, 10, 600, 3600},
    {2, 180, 1, 1, 7200},
    {1, 20, 1, 1, 3600},
    {3, 20, 1, 1, 3600},
    {3, 300, 2, 900, 3600},
    {2, 120, 2, 900, 1080},
    {2, 120, 2, 900, 1080},
    {2, 180, 2, 900, 1080},
}};

std::int32_t I32At(const QByteArray& b, qsizetype at)
{
    return static_cast<std::int32_t>(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8
                                     | std::uint8_t(b[at + 2]) << 16
                                     | std::uint32_t(std::uint8_t(b[at + 3])) << 24);
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

void ExpectBuiltInTables(const TDriverModes& m)
{
    EXPECT_EQ(m.BadCallsText[0][0].text(), QStringLiteral("Результат вызова"));
    const QStringList columns = {"OCC", "NC", "~", "NUM", "STA", "OCC2", "AAB", "BAB", "DIS"};
    const QStringList rows = {QStringLiteral("Попыток в серии"), QStringLiteral("Интервал между попытками"),
                              QStringLiteral("Количество серий"), QStringLiteral("Интервал между сериями"),
                              QStringLiteral("Интервал блокировки")};
    for (int c = 1; c <= 9; ++c)
        EXPECT_EQ(m.BadCallsText[c][0].text(), columns[c - 1]) << c;
    for (int r = 1; r <= 5; ++r)
        EXPECT_EQ(m.BadCallsText[0][r].text(), rows[r - 1]) << r;
    for (int c = 1; c <= 9; ++c)
        for (int r = 1; r <= 5; ++r) {
            EXPECT_EQ(m.BadCallsPolicy[c - 1][r - 1], ExpectedPolicy[c - 1][r - 1]) << c << "," << r;
            EXPECT_EQ(m.BadCallsText[c][r].text(), QString::number(ExpectedPolicy[c - 1][r - 1]))
                << c << "," << r;
        }
}

const auto NoWaveDevice = [] { return 0; };
const auto OneWaveDevice = [] { return 1; };

class DriverModesTest : public ::testing::Test {
protected:
    QString Path(const char* name) const { return QDir(dir.path()).filePath(QString::fromLatin1(name)); }
    QString IniPath() const { return Path("KORVANE2.INI"); }
    QString TablesPath() const { return Path("DC2.PRO"); }
    QString ShownPath() const { return QDir::toNativeSeparators(TablesPath()); }

    // A DC2.PRO holding Modes' tables.
    void WriteTables(const TDriverModes& modes) { WriteAll(TablesPath(), DriverModesFiles::TablesToBytes(modes)); }

    QTemporaryDir dir;
    FakeMessageBox box;
};

// ---- DC2.PRO ----

TEST_F(DriverModesTest, MissingFileIsCreatedEmptyAndTheBuiltInTablesServe)
{
    const TDriverModes m = DriverModesFiles::LoadDriverModes(dir.path(), box, NoWaveDevice);

    ExpectBuiltInTables(m);
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].text, QStringLiteral("Ошибка чтения из файла режимов \r") + ShownPath());
    EXPECT_EQ(box.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(box.shown[0].buttons, MessageButtons::Ok);
    ASSERT_TRUE(QFile::exists(TablesPath()));
    EXPECT_EQ(QFileInfo(TablesPath()).size(), 0);

    // The message comes again until the dialog is once closed with OK.
    TDriverModeDlg dlg(dir.path(), box, nullptr, NoWaveDevice);
    EXPECT_EQ(box.shown.size(), 2);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(QFileInfo(TablesPath()).size(), 2040);
    box.shown.clear();
    ExpectBuiltInTables(DriverModesFiles::LoadDriverModes(dir.path(), box, NoWaveDevice));
    EXPECT_TRUE(box.shown.isEmpty());
}

TEST_F(DriverModesTest, ShortFileGivesTheBuiltInTablesWhole)
{
    TDriverModes other = DriverModesFiles::DefaultModes();
    DriverModesFiles::SetBuiltInTables(other);
    other.BadCallsText[1][1].setText(QStringLiteral("99"));
    other.BadCallsPolicy[0][0] = 99;
    WriteAll(TablesPath(), DriverModesFiles::TablesToBytes(other).left(2039));

    const TDriverModes m = DriverModesFiles::LoadDriverModes(dir.path(), box, NoWaveDevice);

    ExpectBuiltInTables(m);
    EXPECT_EQ(box.texts(), QStringList{QStringLiteral("Ошибка чтения из файла режимов \r") + ShownPath()});
}

TEST_F(DriverModesTest, TablesAreReadAndWrittenAtTheirOffsets)
{
    TDriverModes written = DriverModesFiles::DefaultModes();
    DriverModesFiles::SetBuiltInTables(written);
    WriteTables(written);
    TDriverModeDlg dlg(dir.path(), box, nullptr, NoWaveDevice);
    ASSERT_TRUE(box.shown.isEmpty());

    dlg.BadCallsTable()->item(2, 3)->setText(QStringLiteral(" 007 ")); // category 3, row 2
    dlg.BadCallsTable()->item(5, 9)->setText(QStringLiteral("32767"));
    dlg.BadCallsTable()->item(4, 1)->setText(QStringLiteral("40000")); // beyond the 16-bit retry state
    dlg.accept();
    ASSERT_EQ(dlg.result(), QDialog::Accepted);

    const QByteArray b = ReadAll(TablesPath());
    ASSERT_EQ(b.size(), 2040);
    // Text cell (c, r) at c*186 + r*31: a length byte and the CP1251 text.
    EXPECT_EQ(b.mid(3 * 186 + 2 * 31, 2), QByteArray("\x01" "7", 2));
    EXPECT_EQ(b.mid(9 * 186 + 5 * 31, 6), QByteArray("\x05" "32767", 6));
    EXPECT_EQ(std::uint8_t(b[0]), 16); // "Результат вызова": 16 CP1251 bytes
    EXPECT_EQ(std::uint8_t(b[1]), 0xD0); // 'Р'
    EXPECT_EQ(b.mid(1 * 186, 4), QByteArray("\x03" "OCC", 4));
    // Policy cell (c, r) at 1860 + (c-1)*20 + (r-1)*4, little-endian.
    EXPECT_EQ(I32At(b, 1860 + 2 * 20 + 1 * 4), 7);
    EXPECT_EQ(I32At(b, 1860 + 8 * 20 + 4 * 4), 32767);
    EXPECT_EQ(I32At(b, 1860 + 0 * 20 + 4 * 4), 3600);
    EXPECT_EQ(I32At(b, 1860 + 0 * 20 + 3 * 4), 32767);
    EXPECT_EQ(b.mid(1 * 186 + 4 * 31, 6), QByteArray("\x05" "32767", 6));
    EXPECT_EQ(dlg.BadCallsTable()->item(4, 1)->text(), QStringLiteral("32767"));
    EXPECT_EQ(dlg.BadCallsTable()->item(2, 3)->text(), QStringLiteral("7"));
    EXPECT_EQ(dlg.Modes().BadCallsPolicy[2][1], 7);
}

TEST_F(DriverModesTest, LongerFileKeepsWhatFollowsTheTables)
{
    TDriverModes written = DriverModesFiles::DefaultModes();
    DriverModesFiles::SetBuiltInTables(written);
    written.BadCallsPolicy[3][0] = 5;
    const QByteArray tail(500, 'T');
    WriteAll(TablesPath(), DriverModesFiles::TablesToBytes(written) + tail);

    TDriverModeDlg dlg(dir.path(), box, nullptr, NoWaveDevice);
    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_EQ(dlg.Modes().BadCallsPolicy[3][0], 5);
    dlg.BadCallsTable()->item(1, 4)->setText(QStringLiteral("6"));
    dlg.accept();

    const QByteArray b = ReadAll(TablesPath());
    ASSERT_EQ(b.size(), 2540);
    EXPECT_EQ(I32At(b, 1860 + 3 * 20), 6);
    EXPECT_EQ(b.mid(2040), tail);
}

TEST_F(DriverModesTest, DamagedLengthsAndValuesAreBroughtIntoRange)
{
    TDriverModes written = DriverModesFiles::DefaultModes();
    DriverModesFiles::SetBuiltInTables(written);
    QByteArray b = DriverModesFiles::TablesToBytes(written);
    b[2 * 186 + 1 * 31] = char(200);            // a length byte far above 30
    b.replace(2 * 186 + 1 * 31 + 1, 30, QByteArray(30, '5'));
    auto putI32 = [&b](qsizetype at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    putI32(1860 + 0 * 20 + 1 * 4, 70000);       // beyond the 16-bit retry state
    putI32(1860 + 1 * 20 + 1 * 4, std::uint32_t(-5));
    WriteAll(TablesPath(), b);

    TDriverModeDlg dlg(dir.path(), box, nullptr, NoWaveDevice);

    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_EQ(dlg.Modes().BadCallsText[2][1].text(), QString(30, u'5'));
    EXPECT_EQ(dlg.BadCallsTable()->item(1, 2)->text(), QString(30, u'5'));
    EXPECT_EQ(dlg.Modes().BadCallsPolicy[0][1], 32767);
    EXPECT_EQ(dlg.Modes().BadCallsPolicy[1][1], 0);
}

TEST_F(DriverModesTest, UncreatableFileShowsItsFailureOnceAndTheBuiltInTablesServe)
{
    // A program folder that does not exist: DC2.PRO can be neither opened nor created.
    const QString missing = QDir(dir.path()).filePath(QStringLiteral("gone"));
    const QString shown = QDir::toNativeSeparators(QDir(missing).filePath(QStringLiteral("DC2.PRO")));

    const TDriverModes m = DriverModesFiles::LoadDriverModes(missing, box, NoWaveDevice);
    ExpectBuiltInTables(m);
    EXPECT_EQ(box.texts(), QStringList{QStringLiteral("Невозможно открыть файл режимов \r") + shown});

    box.shown.clear();
    TDriverModeDlg dlg(missing, box, nullptr, NoWaveDevice);
    ExpectBuiltInTables(dlg.Modes());
    EXPECT_EQ(dlg.BadCallsTable()->item(1, 1)->text(), QStringLiteral("4"));
    dlg.accept();
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    // OK meets the settings file first, which cannot be written there either.
    EXPECT_EQ(box.texts(), (QStringList{QStringLiteral("Невозможно открыть файл режимов \r") + shown,
                                        QStringLiteral("Ошибка записи в файл настроек \r")
                                            + QDir::toNativeSeparators(QDir(missing).filePath(QStringLiteral("KORVANE2.INI")))}));
}

TEST_F(DriverModesTest, WriteFailureLeavesTheIniKeysWrittenAndTheDialogOpen)
{
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), TablesPath()));
    TDriverModeDlg dlg(dir.path(), box, nullptr, NoWaveDevice);
    box.shown.clear();
    // The device reads as zeros: empty cells, which need numbers before OK.
    for (int c = 1; c < 10; ++c)
        for (int r = 1; r < 6; ++r)
            dlg.BadCallsTable()->item(r, c)->setText(QStringLiteral("2"));
    dlg.ScanPeriodEdit()->setValue(45);
    dlg.accept();

    EXPECT_NE(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(box.texts(), QStringList{QStringLiteral("Ошибка записи в файл режимов \r") + ShownPath()});
    EXPECT_EQ(IniFile(IniPath()).ReadInteger("COMMON", "ScanPeriod", 0), 45);
}

// ---- KORVANE2.INI ----

TEST_F(DriverModesTest, UnwritableIniShowsItsFailureAndKeepsTheDialogOpen)
{
    // The settings file's name is taken by a folder: nothing can be written.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("KORVANE2.INI")));
    TDriverModeDlg dlg(dir.path(), box, nullptr, NoWaveDevice);
    box.shown.clear();
    dlg.ScanPeriodEdit()->setValue(45);
    dlg.accept();

    EXPECT_NE(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(box.texts(), QStringList{QStringLiteral("Ошибка записи в файл настроек \r")
                                       + QDir::toNativeSeparators(IniPath())});
}

TEST_F(DriverModesTest, MissingIniGivesTheDefaultsAndOkWritesTheFourteenKeysInOrder)
{
    TDriverModeDlg dlg(dir.path(), box, nullptr, OneWaveDevice);
    const TDriverModes& m = dlg.Modes();
    EXPECT_EQ(m.ModeDriver, 1u);
    EXPECT_EQ(m.ScanPeriod, 30);
    EXPECT_EQ(m.MsgDelay, 6);
    EXPECT_EQ(m.CopyCntr, 1);
    EXPECT_EQ(m.LeftMargin, 0);
    EXPECT_EQ(m.SoundCardMode, 0);
    EXPECT_EQ(m.DOSPrintMode, 1);
    EXPECT_EQ(dlg.BeginTimeEdit()->time(), QTime(9, 0));
    EXPECT_EQ(dlg.EndTimeEdit()->time(), QTime(19, 0));
    EXPECT_EQ(m.InitPrnStr.text(), QStringLiteral("#27!#4----------------------------"));
    EXPECT_EQ(m.ExitConfirmation, 1);
    EXPECT_EQ(m.ShowDialogMode, 1);
    EXPECT_EQ(m.TlxLogMode, 0);
    EXPECT_EQ(m.PreciseTimer, 1);

    dlg.accept();
    ASSERT_EQ(dlg.result(), QDialog::Accepted);
    const QStringList keys = {"ModeDriver", "ScanPeriod", "MsgDelay", "CopyCntr", "LeftMargin",
                              "SoundCardMode", "DOSPrintMode", "BeginTime", "EndTime", "InitPrnStr",
                              "ExitConfirmation", "ShowDialogMode", "TlxLogMode", "PreciseTimer"};
    IniFile ini(IniPath());
    EXPECT_EQ(ini.ReadSection("COMMON"), keys);
    EXPECT_EQ(ini.ReadString("COMMON", "BeginTime", ""), QStringLiteral("9:00:00"));
    EXPECT_EQ(ini.ReadString("COMMON", "DOSPrintMode", ""), QStringLiteral("1"));
    EXPECT_EQ(ini.ReadString("COMMON", "SoundCardMode", ""), QStringLiteral("0"));
}

TEST_F(DriverModesTest, IniValuesAreReadShownAndStoredBack)
{
    IniFile ini(IniPath());
    ini.WriteString("COMMON", "ModeDriver", "255");
    ini.WriteString("COMMON", "ScanPeriod", "$14");
    ini.WriteString("COMMON", "MsgDelay", "0x2");
    ini.WriteString("COMMON", "BeginTime", "abc");
    ini.WriteString("COMMON", "EndTime", "18:30");
    ini.WriteString("COMMON", "InitPrnStr", QString(100, u'x'));
    ini.WriteString("COMMON", "DOSPrintMode", "0");
    ini.WriteString("COMMON", "TlxLogMode", "7");
    ini.WriteInteger("COMMON", "Left", 5); // the main window's key stays untouched

    TDriverModeDlg dlg(dir.path(), box, nullptr, OneWaveDevice);
    for (int bit = 0; bit < 6; ++bit)
        EXPECT_TRUE(dlg.DriverBox(bit)->isChecked()) << bit;
    EXPECT_EQ(dlg.ScanPeriodEdit()->value(), 20);
    EXPECT_EQ(dlg.MsgDelayEdit()->value(), 2);
    EXPECT_EQ(dlg.BeginTimeEdit()->time(), QTime(9, 0));
    EXPECT_EQ(dlg.EndTimeEdit()->time(), QTime(18, 30));
    EXPECT_EQ(dlg.Modes().InitPrnStr.text(), QString(80, u'x'));
    EXPECT_EQ(dlg.PrintButtons()->checkedId(), 1);
    EXPECT_FALSE(dlg.DosPrintGroup()->isEnabled());
    EXPECT_TRUE(dlg.TlxLogModeBox()->isChecked());

    dlg.accept();
    EXPECT_EQ(ini.ReadString("COMMON", "ModeDriver", ""), QStringLiteral("63"));
    EXPECT_EQ(ini.ReadString("COMMON", "EndTime", ""), QStringLiteral("18:30:00"));
    EXPECT_EQ(ini.ReadString("COMMON", "InitPrnStr", ""), QString(80, u'x'));
    EXPECT_EQ(ini.ReadString("COMMON", "TlxLogMode", ""), QStringLiteral("1"));
    EXPECT_EQ(ini.ReadInteger("COMMON", "Left", 0), 5);
    EXPECT_EQ(dlg.Modes().ModeDriver, 63u);
}

TEST_F(DriverModesTest, SoundCardModeWithoutAWaveDeviceFallsBackToTheSpeaker)
{
    IniFile ini(IniPath());
    ini.WriteString("COMMON", "SoundCardMode", "1");

    TDriverModeDlg without(dir.path(), box, nullptr, NoWaveDevice);
    EXPECT_EQ(without.SoundButtons()->checkedId(), 0);
    EXPECT_FALSE(without.SoundGroup()->isEnabled());
    EXPECT_EQ(without.Modes().SoundCardMode, 0);
    EXPECT_EQ(DriverModesFiles::LoadDriverModes(dir.path(), box, NoWaveDevice).SoundCardMode, 0);
    EXPECT_EQ(ini.ReadString("COMMON", "SoundCardMode", ""), QStringLiteral("1"));

    TDriverModeDlg with(dir.path(), box, nullptr, OneWaveDevice);
    EXPECT_EQ(with.SoundButtons()->checkedId(), 1);
    EXPECT_TRUE(with.SoundGroup()->isEnabled());
    EXPECT_EQ(with.Modes().SoundCardMode, 1);
}

// ---- The grid ----

TEST_F(DriverModesTest, BadCellsBecomeOneAndKeepTheDialogOpenOnTheLastOfThem)
{
    TDriverModeDlg dlg(dir.path(), box, nullptr, NoWaveDevice);
    dlg.BadCallsTable()->item(1, 2)->setText(QString());
    dlg.BadCallsTable()->item(3, 7)->setText(QStringLiteral("99999999999"));
    dlg.BadCallsTable()->item(2, 7)->setText(QStringLiteral("12a"));

    dlg.accept();
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.BadCol(), 7);
    EXPECT_EQ(dlg.BadRow(), 3);
    EXPECT_EQ(dlg.BadCallsTable()->currentRow(), 3);
    EXPECT_EQ(dlg.BadCallsTable()->currentColumn(), 7);
    EXPECT_EQ(dlg.BadCallsTable()->item(1, 2)->text(), QStringLiteral("1"));
    EXPECT_EQ(dlg.BadCallsTable()->item(2, 7)->text(), QStringLiteral("1"));
    EXPECT_FALSE(QFile::exists(IniPath()));

    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Modes().BadCallsPolicy[6][2], 1);
}

TEST_F(DriverModesTest, GridKeyFilterPassesOnlyDigitsAndBackspace)
{
    for (QChar c : QStringLiteral("0123456789\b"))
        EXPECT_TRUE(TDriverModeDlg::BadCallsTableKeyPress(c)) << int(c.unicode());
    for (QChar c : QStringLiteral(" -+aZ$x.Ж"))
        EXPECT_FALSE(TDriverModeDlg::BadCallsTableKeyPress(c)) << int(c.unicode());
}

TEST_F(DriverModesTest, CellEditorDropsEverythingButDigits)
{
    TDriverModeDlg dlg(dir.path(), box, nullptr, NoWaveDevice);
    dlg.show();
    QTableWidget* grid = dlg.BadCallsTable();
    grid->setCurrentCell(2, 2);
    grid->editItem(grid->item(2, 2));
    auto* editor = grid->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->clear();
    QTest::keyClicks(editor, QStringLiteral("1a -2+x3"));
    EXPECT_EQ(editor->text(), QStringLiteral("123"));
    QTest::keyClick(editor, Qt::Key_Backspace);
    EXPECT_EQ(editor->text(), QStringLiteral("12"));
    dlg.accept();
    EXPECT_EQ(dlg.Modes().BadCallsPolicy[1][1], 12);
}

TEST_F(DriverModesTest, HeaderCellsAreFixedAndTheDosGroupFollowsThePrintType)
{
    TDriverModeDlg dlg(dir.path(), box, nullptr, NoWaveDevice);
    QTableWidget* grid = dlg.BadCallsTable();
    EXPECT_EQ(grid->columnCount(), 10);
    EXPECT_EQ(grid->rowCount(), 6);
    EXPECT_FALSE(grid->item(0, 3)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(grid->item(2, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(grid->item(2, 3)->flags() & Qt::ItemIsEditable);
    EXPECT_EQ(grid->item(0, 6)->text(), QStringLiteral("OCC2"));

    EXPECT_TRUE(dlg.DosPrintGroup()->isEnabled());
    dlg.PrintButtons()->button(1)->click();
    EXPECT_FALSE(dlg.DosPrintGroup()->isEnabled());
    dlg.PrintButtons()->button(0)->click();
    EXPECT_TRUE(dlg.DosPrintGroup()->isEnabled());
    EXPECT_FALSE(dlg.DriverBox(1)->isEnabled());
    EXPECT_FALSE(dlg.ShowDialogModeBox()->isEnabled());
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Режимы драйвера"));
}

} // namespace

// ---- Values from a hand-edited INI ----

// Each number key is brought into the range its up-down control allows, at
// start-up as in the dialog.
TEST_F(DriverModesTest, NumbersOutsideTheirRangeAreBroughtToItsNearestEnd)
{
    struct Case {
        const char* key;
        const char* stored;
        int loaded;
    };
    const Case cases[] = {
        {"MsgDelay", "3000000", 100},     {"MsgDelay", "-5", 0},
        {"LeftMargin", "2000000000", 100}, {"LeftMargin", "-1", 0},
        {"CopyCntr", "2147483647", 100},  {"CopyCntr", "-2147483648", 0},
        {"ScanPeriod", "0", 1},           {"ScanPeriod", "-30", 1},
        {"ScanPeriod", "101", 100},       {"ScanPeriod", "100", 100},
        {"MsgDelay", "0", 0},             {"CopyCntr", "7", 7},
    };
    auto field = [](const TDriverModes& m, const QString& key) {
        if (key == u"MsgDelay")
            return m.MsgDelay;
        if (key == u"LeftMargin")
            return m.LeftMargin;
        if (key == u"CopyCntr")
            return m.CopyCntr;
        return m.ScanPeriod;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.stored);
        const QString key = QString::fromLatin1(c.key);
        IniFile ini(IniPath());
        ini.WriteString("COMMON", key, QString::fromLatin1(c.stored));
        EXPECT_EQ(field(DriverModesFiles::LoadDriverModes(dir.path(), box, NoWaveDevice), key), c.loaded);
        TDriverModeDlg dlg(dir.path(), box, nullptr, NoWaveDevice);
        EXPECT_EQ(field(dlg.Modes(), key), c.loaded);
        ini.DeleteKey("COMMON", key);
    }
}
