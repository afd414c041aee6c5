#include "ui/settings/TxOption.h"

#include "ui/settings/ProtocolEditorPage.h"

#include "tests/ui/ChannelOptionsFixture.h"
#include "tests/ui/TypeKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace korvane;
using korvane::test::ChannelOptionsFixture;
using korvane::test::StepNamed;
using korvane::test::TypeKeys;
using korvane::test::ValueNamed;

namespace {

QStringList Items(const QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

QStringList GroupTitles(const QWidget* w)
{
    QStringList out;
    for (const QGroupBox* g : w->findChildren<QGroupBox*>())
        out << g->title();
    return out;
}

QStringList LabelTexts(const QWidget* w)
{
    QStringList out;
    for (const QLabel* l : w->findChildren<QLabel*>())
        out << l->text();
    return out;
}

class ChannelOptionsDialogTest : public ChannelOptionsFixture {};

TEST_F(ChannelOptionsDialogTest, PagesListsAndCaptions)
{
    TMultPageDlg& d = Open();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Настройки канала"));
    QTabWidget* pages = d.OptionsPageControl();
    ASSERT_EQ(pages->count(), 5);
    QStringList tabs;
    for (int i = 0; i < pages->count(); ++i)
        tabs << pages->tabText(i);
    EXPECT_EQ(tabs, QStringList({"Основные", "Режимы", "Элементы", "Пути", "Звук"}));
    EXPECT_EQ(Items(d.AdapterType()), QStringList({"Выключен", "Ormak-A", "Ormak-B", "TARVELOX-01", "Ormak-D"}));
    QStringList stations;
    for (const auto& list : set->Protocols)
        stations << list.front().Name;
    EXPECT_EQ(stations.front(), QStringLiteral("Тест"));
    EXPECT_EQ(Items(d.StationTypeList()), stations);
    EXPECT_EQ(d.LineType()->button(0)->text(), QStringLiteral("Двухполюсная"));
    EXPECT_EQ(d.LineType()->button(1)->text(), QStringLiteral("Однополюсная"));

    const QWidget* main = pages->widget(0);
    EXPECT_TRUE(GroupTitles(main).contains(QStringLiteral("Основные настройки канала")));
    EXPECT_TRUE(GroupTitles(main).contains(QStringLiteral("Тип &линии")));
    for (const char* label : {"&Тип адаптера", "Тип &станции", "&Автоответ", "&Заголовок телеграммы"})
        EXPECT_TRUE(LabelTexts(main).contains(QString::fromUtf8(label))) << label;
    EXPECT_EQ(d.AnswerBack()->maxLength(), 20);
    EXPECT_TRUE(d.AnswerBack()->isReadOnly());
    EXPECT_FALSE(d.AnswerBack()->isEnabled());
    EXPECT_EQ(d.TlgHeader()->maxLength(), 100);

    EXPECT_EQ(GroupTitles(pages->widget(1)),
              QStringList({"Режимы канала", "&Режимы драйвера", "Ре&жимы TARVELOX"}));
    const QStringList modeCaptions = {
        "&Автоматическая передача", "Автоматический прием", "Общий файл передачи", "Общий файл приема",
        "Контроль автответа",       "Сохранение по ЗАО",    "Автоматическое удаление", "Авто печать передача",
        "Авто печать прием",        "Неэффективные вызовы", "Анализ встречной работы", "Контроль устройства",
    };
    for (int bit = 0; bit < TMultPageDlg::ModeCount; ++bit) {
        EXPECT_EQ(d.ModeBox(bit)->text(), modeCaptions[bit]);
        EXPECT_EQ(d.ModeBox(bit)->isEnabledTo(pages->widget(1)), bit != 1 && bit != 5 && bit != 10) << bit;
    }
    const QStringList ctxCaptions = {"Часовая мелодия", "Фоновая распечатка", "Объем памяти",
                                     "Неисправность принтера", "Контрольная печать"};
    for (int bit = 0; bit < TMultPageDlg::CtxModeCount; ++bit)
        EXPECT_EQ(d.CtxModeBox(bit)->text(), ctxCaptions[bit]);

    const QWidget* paths = pages->widget(3);
    EXPECT_EQ(GroupTitles(paths), QStringList({"Рабочие каталоги и файлы"}));
    EXPECT_EQ(LabelTexts(paths), QStringList({"Каталог передачи", "Каталог приема", "Журнал передачи",
                                              "Журнал приема", "Общий файл передачи", "Общий файл приема"}));
    for (int i = 0; i < TMultPageDlg::PathCount; ++i)
        EXPECT_EQ(static_cast<QPushButton*>(d.PathButton(i))->text(), QStringLiteral("..."));
    EXPECT_TRUE(GroupTitles(pages->widget(4)).contains(QStringLiteral("Озвучивание событий")));

    auto* buttons = d.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->standardButtons(),
              QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help);
}

TEST_F(ChannelOptionsDialogTest, ExecuteAppendsTheChannelNumberToTheCaption)
{
    TMultPageDlg& d = Open();
    QTimer::singleShot(0, &d, &QDialog::reject);
    EXPECT_EQ(d.Execute(), QDialog::Rejected);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Настройки канала 2"));
}

TEST_F(ChannelOptionsDialogTest, RecordIntoTheControlsAndBack)
{
    TChannelOptions& r = Record();
    r.AdapterType = 3;
    r.StationType = 2;
    r.LineType = 1;
    r.AnswerBack.setText(QStringLiteral("^12345$ ABC"));
    r.Modes = 0xFFFFF000u | 0x0A25u; // bits 0, 2, 5, 9, 11 and bits above the twelve
    r.CtxModes = 0x15u | 0xE0u;
    r.TransmDir.setText(QStringLiteral("C:\\MAIL2\\OUTGO2"));
    r.ReceiveDir.setText(QStringLiteral("C:\\MAIL2\\INCOM2"));
    r.TransmJrnFile.setText(QStringLiteral("C:\\MAIL2\\TRANSM2.PTC"));
    r.ReceiveJrnFile.setText(QStringLiteral("C:\\MAIL2\\RECEIVE2.PTC"));
    r.TransmCommonFile.setText(QStringLiteral("C:\\MAIL2\\TRCOM2.PTC"));
    r.ReceiveCommonFile.setText(QStringLiteral("C:\\MAIL2\\RECOM2.PTC"));
    TMultPageDlg& d = Open();

    EXPECT_EQ(d.AdapterType()->currentIndex(), 3);
    EXPECT_EQ(d.FLoadedAdapterType, 3u);
    EXPECT_EQ(d.StationTypeList()->currentIndex(), 2);
    EXPECT_EQ(d.LineType()->checkedId(), 1);
    EXPECT_EQ(d.AnswerBack()->text(), QStringLiteral("^12345$ ABC"));
    for (int bit = 0; bit < TMultPageDlg::ModeCount; ++bit)
        EXPECT_EQ(d.ModeBox(bit)->isChecked(), ((0x0A25u >> bit) & 1u) != 0) << bit;
    for (int bit = 0; bit < TMultPageDlg::CtxModeCount; ++bit)
        EXPECT_EQ(d.CtxModeBox(bit)->isChecked(), ((0x15u >> bit) & 1u) != 0) << bit;
    EXPECT_EQ(d.PathEdit(0)->text(), QStringLiteral("C:\\MAIL2\\OUTGO2"));
    EXPECT_EQ(d.PathEdit(5)->text(), QStringLiteral("C:\\MAIL2\\RECOM2.PTC"));

    d.AdapterType()->setCurrentIndex(4);
    d.StationTypeList()->setCurrentIndex(1);
    d.LineType()->button(0)->setChecked(true);
    d.ModeBox(0)->setChecked(false);
    d.ModeBox(4)->setChecked(true);
    d.PathEdit(2)->setText(QString(100, QLatin1Char('j')));
    d.PathEdit(1)->setText(QStringLiteral("/var/spool/in2"));
    d.SaveChannelOptions();

    EXPECT_EQ(r.AdapterType, 4u);
    EXPECT_EQ(r.StationType, 1u);
    EXPECT_EQ(r.LineType, 0u);
    // Bits 1, 5 and 10 (disabled boxes) keep what was loaded; bits above the twelve are cleared.
    EXPECT_EQ(r.Modes, 0x0A34u);
    // The TARVELOX group is disabled for Ormak-D: its bits stay as loaded.
    EXPECT_FALSE(d.CtxModesGroup()->isEnabled());
    EXPECT_EQ(r.CtxModes, 0x15u);
    EXPECT_EQ(r.TransmJrnFile.text(), QString(79, QLatin1Char('j')));
    EXPECT_EQ(r.ReceiveDir.text(), QStringLiteral("/var/spool/in2"));
    EXPECT_EQ(r.TransmDir.text(), QStringLiteral("C:\\MAIL2\\OUTGO2"));
    EXPECT_EQ(r.AnswerBack.text(), QStringLiteral("^12345$ ABC"));
}

TEST_F(ChannelOptionsDialogTest, HeaderShowsTheCountersAndStoresTheEditedTextOnly)
{
    TChannelOptions& r = Record();
    r.TlgHeader.setText(QStringLiteral("{НОМЕР-М0}{НОМЕРЦКС-К0} {ДАТА0/0}"));
    r.Counters.FullNumber = 41;
    r.Counters.CKSNumber = 7;
    r.Counters.Day = 3;
    r.Counters.Month = 4;
    const TTlgCounters counters = r.Counters;
    TMultPageDlg& d = Open();
    EXPECT_EQ(d.TlgHeader()->text(), QStringLiteral("{НОМЕР-М41}{НОМЕРЦКС-К7} {ДАТА3/4}"));
    d.TlgHeader()->setText(QStringLiteral("{НОМЕР-М42}{НОМЕРЦКС-К7} {ДАТА3/4}"));
    d.SaveChannelOptions();
    EXPECT_EQ(r.TlgHeader.text(), QStringLiteral("{НОМЕР-М42}{НОМЕРЦКС-К7} {ДАТА3/4}"));
    EXPECT_EQ(r.Counters, counters);
}

TEST_F(ChannelOptionsDialogTest, HeaderKeyFilter)
{
    struct Case {
        QString typed;
        QString shown;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("а"), QStringLiteral("А")},
        {QStringLiteral("яz"), QStringLiteral("ЯZ")},
        {QStringLiteral("@&ё!{}\"#%"), QString()},
        {QStringLiteral("<_^$*"), QStringLiteral("<_^$*")},
        {QStringLiteral(" $'()*+,-./:<=?"), QStringLiteral(" $'()*+,-./:<=?")},
        {QStringLiteral("09ab\b"), QStringLiteral("09A")},
    };
    TMultPageDlg& d = Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        d.TlgHeader()->clear();
        TypeKeys(d.TlgHeader(), c.typed);
        EXPECT_EQ(d.TlgHeader()->text(), c.shown);
    }
    d.TlgHeader()->setText(QString(100, QLatin1Char('A')));
    TypeKeys(d.TlgHeader(), QStringLiteral("B"));
    EXPECT_EQ(d.TlgHeader()->text(), QString(100, QLatin1Char('A')));
}

TEST_F(ChannelOptionsDialogTest, AdapterChoiceEnablesPagesAndTheTarveloxGroup)
{
    Record().AdapterType = 0;
    TMultPageDlg& d = Open();
    QTabWidget* pages = d.OptionsPageControl();
    for (int i = 1; i < 5; ++i)
        EXPECT_FALSE(pages->widget(i)->isEnabled()) << i;
    EXPECT_TRUE(pages->widget(0)->isEnabled());

    struct Case {
        int adapter;
        bool tarvelox;
    };
    for (const Case c : {Case{1, false}, Case{3, true}, Case{2, false}, Case{4, false}}) {
        d.AdapterType()->setCurrentIndex(c.adapter);
        for (int i = 1; i < 5; ++i)
            EXPECT_TRUE(pages->widget(i)->isEnabled()) << c.adapter << " page " << i;
        EXPECT_EQ(d.CtxModesGroup()->isEnabled(), c.tarvelox) << c.adapter;
    }
}

TEST_F(ChannelOptionsDialogTest, WithNoAdapterChosenOnlyTheFirstPageComesToTheFront)
{
    Record().AdapterType = 0;
    TMultPageDlg& d = Open();
    for (int page : {1, 2, 3, 4}) {
        box.shown.clear();
        d.OptionsPageControl()->setCurrentIndex(page);
        EXPECT_EQ(d.OptionsPageControl()->currentIndex(), 0);
        ASSERT_EQ(box.shown.size(), 1);
        EXPECT_EQ(box.shown[0].text, QStringLiteral("Необходимо предварительно выбрать тип адаптера"));
        EXPECT_EQ(box.shown[0].icon, MessageIcon::Warning);
        EXPECT_EQ(box.shown[0].buttons, MessageButtons::Ok);
        EXPECT_EQ(d.HelpContext(), TMultPageDlg::DialogHelpTopic);
        EXPECT_FALSE(d.ElementsEditor()->FElementsShown);
    }
    d.AdapterType()->setCurrentIndex(1);
    box.shown.clear();
    d.OptionsPageControl()->setCurrentIndex(3);
    EXPECT_EQ(d.OptionsPageControl()->currentIndex(), 3);
    EXPECT_TRUE(box.shown.isEmpty());
}

TEST_F(ChannelOptionsDialogTest, HelpShowsTheTopicOfThePageInFront)
{
    Record().AdapterType = 1;
    TMultPageDlg& d = Open();
    QSignalSpy help(&d, &TMultPageDlg::HelpRequested);
    auto* buttons = d.findChild<QDialogButtonBox*>();
    buttons->button(QDialogButtonBox::Help)->click();
    ASSERT_EQ(help.size(), 1);
    EXPECT_EQ(help[0][0].toInt(), 40);
    const std::vector<std::pair<int, int>> cases = {{1, 45}, {2, 47}, {3, 49}, {4, 42}, {0, 43}};
    for (const auto& [page, topic] : cases) {
        d.OptionsPageControl()->setCurrentIndex(page);
        buttons->button(QDialogButtonBox::Help)->click();
        EXPECT_EQ(help.back()[0].toInt(), topic) << page;
    }
}

TEST_F(ChannelOptionsDialogTest, ElementsPageFillsWithTheChosenStationsProtocolAndEmptiesOnLeaving)
{
    Record().AdapterType = 1;
    Record().StationType = 0;
    TMultPageDlg& d = Open();
    TProtocolEditorPage* editor = d.ElementsEditor();
    d.OptionsPageControl()->setCurrentIndex(TMultPageDlg::ElementsPage);
    EXPECT_TRUE(editor->FElementsShown);
    EXPECT_EQ(editor->ProtocolGroup()->title(), QStringLiteral("Телеграфный протокол: Тест"));
    EXPECT_EQ(editor->ElementListBox()->item(0)->text(), QStringLiteral("Пауза1"));

    d.OptionsPageControl()->setCurrentIndex(TMultPageDlg::PathsPage);
    EXPECT_FALSE(editor->FElementsShown);
    EXPECT_EQ(editor->ElementListBox()->count(), 0);
    EXPECT_EQ(editor->ClassListBox()->count(), 0);

    d.OptionsPageControl()->setCurrentIndex(TMultPageDlg::MainPage);
    d.StationTypeList()->setCurrentIndex(3);
    d.OptionsPageControl()->setCurrentIndex(TMultPageDlg::ElementsPage);
    const TProtocolRec& fourth = set->Protocols[3].front();
    EXPECT_EQ(editor->ProtocolGroup()->title(), QStringLiteral("Телеграфный протокол: ") + fourth.Name);
    EXPECT_EQ(editor->ElementListBox()->count(), int(fourth.Elements.size()));
}

TEST_F(ChannelOptionsDialogTest, ValueConfirmedWithOkWhileTheBoxHasTheFocusIsStored)
{
    Record().AdapterType = 1;
    TMultPageDlg& d = Open();
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    d.activateWindow();
    d.OptionsPageControl()->setCurrentIndex(TMultPageDlg::ElementsPage);
    QComboBox* value = d.ElementsEditor()->ValueTblComboBox();
    value->setFocus();
    TypeKeys(value, QStringLiteral("\b\b1"));
    EXPECT_EQ(value->currentText(), QStringLiteral("11"));
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(ValueNamed(StepNamed(set->Protocols[0].front(), QStringLiteral("Пауза1")), QStringLiteral("Длительность"))
                  .Value,
              QStringLiteral("60.00"));
}

// "Установлено:" shows the value as loaded whole, however long (up to the
// 68 characters of the field), with blanks or without, in the dialog as it
// opens.
TEST_F(ChannelOptionsDialogTest, SetValueShowsTheWholeLoadedValue)
{
    Record().AdapterType = 1;
    const QString values[] = {
        QString(68, u'Ш'),
        QStringLiteral("ZCZC ПРИЗНАК НАЧАЛА СООБЩЕНИЯ ДЛЯ ДАЛЬНЕЙ СТАНЦИИ С ДЛИННЫМ ТЕКСТОМ+"),
    };
    for (const QString& loaded : values) {
        SCOPED_TRACE(loaded.toStdString());
        ValueNamed(StepNamed(set->Protocols[0].front(), QStringLiteral("Строка1")), QStringLiteral("Строка")).Value3 =
            loaded;
        TMultPageDlg& d = Open();
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        d.OptionsPageControl()->setCurrentIndex(TMultPageDlg::ElementsPage);
        TProtocolEditorPage* editor = d.ElementsEditor();
        editor->ElementListBox()->setCurrentItem(
            editor->ElementListBox()->findItems(QStringLiteral("Строка1"), Qt::MatchExactly).front());
        editor->ParametrListBox()->setCurrentItem(
            editor->ParametrListBox()->findItems(QStringLiteral("Строка"), Qt::MatchExactly).front());
        QApplication::processEvents();
        const QLabel* label = editor->SetValueLabel();
        ASSERT_EQ(label->text(), loaded);
        const QRect room = label->contentsRect();
        const QRect needed = label->fontMetrics().boundingRect(
            room, Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere, label->text());
        EXPECT_TRUE(room.contains(needed)) << "room " << room.width() << "x" << room.height() << ", needed "
                                           << needed.width() << "x" << needed.height();
        const QRect onDialog(label->mapTo(&d, QPoint(0, 0)), label->size());
        EXPECT_TRUE(d.rect().contains(onDialog));
        d.reject();
    }
}

// A path longer than the 79 characters of its field in the record is
// refused with a message naming the field: OK keeps the dialog open on it,
// a folder or file chosen is not taken; nothing is cut.
TEST_F(ChannelOptionsDialogTest, PathLongerThanItsFieldIsRefusedNeverCut)
{
    Record().AdapterType = 1;
    TMultPageDlg& d = Open();
    const QString fits = QStringLiteral("/srv/") + QString(74, u'a');
    const QString tooLong = fits + QLatin1Char('b');
    ASSERT_EQ(fits.size(), 79);

    d.PathEdit(1)->setText(tooLong);
    d.setResult(-1);
    d.accept();
    EXPECT_EQ(d.result(), -1); // still open
    EXPECT_EQ(d.OptionsPageControl()->currentIndex(), int(TMultPageDlg::PathsPage));
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("\"Каталог приема\""))) << box.shown[0].text.toStdString();
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("79"))) << box.shown[0].text.toStdString();
    EXPECT_EQ(d.PathEdit(1)->text(), tooLong);

    box.shown.clear();
    files.answers = {tooLong, tooLong + QStringLiteral(".PTC")};
    static_cast<QPushButton*>(d.PathButton(0))->click();
    static_cast<QPushButton*>(d.PathButton(4))->click();
    ASSERT_EQ(box.shown.size(), 2);
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("\"Каталог передачи\""))) << box.shown[0].text.toStdString();
    EXPECT_TRUE(box.shown[1].text.contains(QStringLiteral("\"Общий файл передачи\"")))
        << box.shown[1].text.toStdString();
    EXPECT_EQ(d.PathEdit(0)->text(), Record().TransmDir.text());
    EXPECT_EQ(d.PathEdit(4)->text(), Record().TransmCommonFile.text());

    box.shown.clear();
    d.PathEdit(1)->setText(fits);
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(box.shown.isEmpty());
    d.SaveChannelOptions();
    EXPECT_EQ(Record().ReceiveDir.text(), fits);
}

struct PresenceCase {
    const char* name;
    std::uint32_t loaded;
    int chosen;
    bool checkAdapter;
    AdapterPresence answer;
    bool tested;
    bool inverted;
    QString message; // empty: the dialog closes
};

class AdapterCheckOnOkTest : public ChannelOptionsFixture,
                             public ::testing::WithParamInterface<PresenceCase> {};

TEST_P(AdapterCheckOnOkTest, TestsOnlyAChangedAdapterAndKeepsTheDialogOpenOnFailure)
{
    const PresenceCase& c = GetParam();
    Record().AdapterType = c.loaded;
    Record().Modes = c.checkAdapter ? 0x800u : 0u;
    adapter.result = c.answer;
    TMultPageDlg& d = Open();
    d.AdapterType()->setCurrentIndex(c.chosen);
    d.setResult(-1);
    d.accept();
    ASSERT_EQ(adapter.calls.size(), c.tested ? 1u : 0u);
    if (c.tested) {
        EXPECT_EQ(adapter.calls[0].channel, Channel);
        EXPECT_EQ(adapter.calls[0].inverted, c.inverted);
    }
    if (c.message.isEmpty()) {
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_TRUE(box.shown.isEmpty());
        return;
    }
    EXPECT_EQ(d.result(), -1); // still open
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].text, c.message);
    EXPECT_EQ(box.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(box.shown[0].buttons, MessageButtons::Ok);
    d.reject(); // Cancel always closes
    EXPECT_EQ(d.result(), QDialog::Rejected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AdapterCheckOnOkTest,
    ::testing::Values(
        PresenceCase{"FromOffAdapterMissing", 0, 1, true, AdapterPresence::Missing, true, false,
                     QStringLiteral("АВАРИЯ 2-й канал\rОтсутствует устройство TELEX")},
        PresenceCase{"RunningChannelHoldsThePort", 1, 2, true, AdapterPresence::PortNotOpened, true, false,
                     QStringLiteral("Не могу открыть COM-порт: 2-й канал")},
        PresenceCase{"TarveloxInverted", 1, 3, true, AdapterPresence::Missing, true, true,
                     QStringLiteral("АВАРИЯ 2-й канал\rОтсутствует устройство TELEX")},
        PresenceCase{"Present", 0, 3, true, AdapterPresence::Present, true, true, {}},
        PresenceCase{"CheckOff", 1, 2, false, AdapterPresence::Missing, false, false, {}},
        PresenceCase{"AsLoaded", 2, 2, true, AdapterPresence::Missing, false, false, {}},
        PresenceCase{"SwitchedOff", 1, 0, true, AdapterPresence::Missing, false, false, {}}),
    [](const ::testing::TestParamInfo<PresenceCase>& info) { return std::string(info.param.name); });

TEST_F(ChannelOptionsDialogTest, FolderBrowsersAndJournalFileDialogs)
{
    Record().AdapterType = 1;
    Record().TransmJrnFile.setText(QStringLiteral("C:\\MAIL2\\TRANSM2.PTC"));
    Record().ReceiveCommonFile.setText(QStringLiteral("RECOM2.PTC"));
    TMultPageDlg& d = Open();
    files.answers = {QStringLiteral("/srv/out2"), QString(), QStringLiteral("/srv/j/TRANSM2.PTC"), QString()};

    static_cast<QPushButton*>(d.PathButton(0))->click();
    static_cast<QPushButton*>(d.PathButton(1))->click();
    static_cast<QPushButton*>(d.PathButton(2))->click();
    static_cast<QPushButton*>(d.PathButton(5))->click();
    ASSERT_EQ(files.asked.size(), 4u);
    EXPECT_EQ(files.asked[0].caption, QStringLiteral("Выберите папку для исходящих телеграмм: "));
    EXPECT_EQ(files.asked[1].caption, QStringLiteral("Выберите папку для входящих телеграмм: "));
    for (int i : {2, 3}) {
        EXPECT_EQ(files.asked[std::size_t(i)].filter,
                  QStringLiteral("Файл протокола (*.ptc)|*.ptc|Все файлы (*.*)|*.*"));
        EXPECT_EQ(files.asked[std::size_t(i)].defaultExt, QStringLiteral("PTC"));
    }
    // The folder part of the stored path, as it lies in the program folder.
    EXPECT_EQ(files.asked[2].startDir, appDir + QStringLiteral("drive_c/MAIL2"));
    EXPECT_EQ(files.asked[3].startDir, QString()); // a bare name has no folder part
    EXPECT_EQ(d.PathEdit(0)->text(), QStringLiteral("/srv/out2"));
    EXPECT_EQ(d.PathEdit(1)->text(), Record().ReceiveDir.text()); // nothing chosen
    EXPECT_EQ(d.PathEdit(2)->text(), QStringLiteral("/srv/j/TRANSM2.PTC"));
    EXPECT_EQ(d.PathEdit(5)->text(), QStringLiteral("RECOM2.PTC"));
}

TEST_F(ChannelOptionsDialogTest, SoundEventsComeFromTheRecordAndGoBack)
{
    Record().AdapterType = 1;
    Record().Sounds[0].Enabled = 1;
    Record().Sounds[0].WavFile.setText(QStringLiteral("start.wav"));
    Record().Sounds[9].Enabled = 1;
    Record().Sounds[9].WavFile.setText(QString());
    TMultPageDlg& d = Open();
    EXPECT_EQ(d.SoundEvents()->Record(1).WavFile, QStringLiteral("start.wav"));
    EXPECT_TRUE(d.SoundEvents()->ShowsOn(10));
    d.SaveChannelOptions();
    EXPECT_EQ(Record().Sounds[0].Enabled, 1);
    EXPECT_EQ(Record().Sounds[9].Enabled, 0); // no wave name in sound-card mode
}

} // namespace
