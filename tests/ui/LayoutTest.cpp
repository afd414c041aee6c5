// The windows' laid-out sizes scaled to the fonts in use: every panel holds
// the longest text it shows, every list column its heading, the editor the
// whole telegraph line, at each window's first size.

#include "ChannelWindowFixture.h"

#include "protocols/DefaultProtocols.h"
#include "protocols/ProtocolModel.h"
#include "ui/channel/ODLED.h"
#include "ui/mainwindow/StatusPanels.h"
#include "ui/telegrams/TxEdit.h"
#include "ui/settings/TxModeDr.h"
#include "ui/telegrams/txBadNumbers.h"
#include "ui/channel/txInpNum.h"
#include "ui/telegrams/txViewJrn.h"

#include "tests/fakes/TestFiles.h"
#include "tests/ui/LayoutChecks.h"

#include <QApplication>
#include <QFontInfo>
#include <QHeaderView>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace korvane::test {
namespace {

// Shows a top-level window at its first size and lets it lay itself out.
void Show(QWidget& w)
{
    w.show();
    QApplication::processEvents();
}

// Each panel of Bar holds its text whole, and no panel runs past the bar.
void ExpectPanelsHold(const StatusPanels& bar, const QStringList& texts)
{
    const QFontMetrics fm(bar.font());
    for (int i = 0; i < texts.size(); ++i) {
        if (texts[i].isEmpty())
            continue;
        SCOPED_TRACE(texts[i].toStdString());
        EXPECT_LE(fm.horizontalAdvance(texts[i]), bar.TextRoom(i)) << "panel " << i;
    }
    const int last = bar.PanelCount() - 1;
    EXPECT_LE(bar.PanelRect(last).left() + bar.PanelWidth(last), bar.width()) << "the last panel is cut";
    EXPECT_EQ(bar.PanelRect(last).right(), bar.width() - 1) << "the last panel runs to the edge";
}

// The widest name of the steps of the built-in protocols.
QString LongestStepName(const QFont& font)
{
    FakeMessageBox box;
    int err = 0;
    const std::unique_ptr<TProtocolSet> set = BuildDefaultProtocolSet(err, box);
    const QFontMetrics fm(font);
    QString longest;
    for (const auto& kind : set->Protocols)
        for (const TProtocolRec& protocol : kind)
            for (const TElementRec& step : protocol.Elements)
                if (fm.horizontalAdvance(step.Name) > fm.horizontalAdvance(longest))
                    longest = step.Name;
    return longest;
}

using ChannelWindowLayout = ChannelWindowFixture;

TEST_F(ChannelWindowLayout, StatusBarsHoldTheirLongestTextsInTheWindowsNormalFont)
{
    Show(*window);
    StatusPanels& bar1 = *window->StatusBar1();
    StatusPanels& bar2 = *window->StatusBar2();
    for (StatusPanels* bar : {&bar1, &bar2})
        EXPECT_GE(QFontInfo(bar->font()).pixelSize(), QFontInfo(QApplication::font()).pixelSize());

    const QString step = LongestStepName(bar1.font());
    ASSERT_FALSE(step.isEmpty());
    ExpectPanelsHold(bar1, {QStringLiteral("TEL00001.TLG"), QStringLiteral("12345678"),
                            QStringLiteral("ЗАВОД \"ЗВЕЗДА\""), step, {}, {}, QStringLiteral("00:00:37")});
    ExpectPanelsHold(bar2, {QStringLiteral("654321 STATN RU"), QStringLiteral("Физическая линия"),
                            QStringLiteral("65535"), QStringLiteral("65535"), QStringLiteral("TEL00001.PTC"),
                            QStringLiteral("AB=2345 XYZ")});

    // The LEDs sit inside their panels, the progress bar inside the last.
    const QList<TODLedLittle*> leds = bar1.findChildren<TODLedLittle*>();
    ASSERT_EQ(leds.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const QRect panel = bar1.PanelRect(4 + i);
        EXPECT_TRUE(panel.contains(leds[i]->geometry())) << i;
    }
    QProgressBar* progress = bar1.findChild<QProgressBar*>();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(bar1.PanelRect(7).contains(progress->geometry()));
    EXPECT_LE(progress->geometry().right(), bar1.width() - 1);
}

TEST(JournalViewLayout, StatusPanelsHoldTheSizeAndTheFullDate)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("OUT_JRN1.PTC"));
    ASSERT_TRUE(WriteFileBytes(path, QByteArray(1048575, 'x')));
    TViewJrnForm view;
    view.SetChannel(1);
    view.ShowTransmitJournal(path);
    Show(view);
    const StatusPanels& bar = *view.StatusBar1();
    ASSERT_FALSE(bar.PanelText(2).isEmpty());
    ExpectPanelsHold(bar, {QString(), bar.PanelText(1), bar.PanelText(2)});
}

// Every column shows its heading whole, and every column lies inside the
// view: none hides past its right edge.
void ExpectColumnsShown(const QTableWidget& view)
{
    const QHeaderView& header = *view.horizontalHeader();
    const int padding = 2 * view.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header);
    int total = 0;
    for (int c = 0; c < view.columnCount(); ++c) {
        const QString heading = view.horizontalHeaderItem(c) ? view.horizontalHeaderItem(c)->text() : QString();
        SCOPED_TRACE(heading.toStdString());
        EXPECT_LE(QFontMetrics(header.font()).horizontalAdvance(heading) + padding, view.columnWidth(c));
        total += view.columnWidth(c);
    }
    EXPECT_LE(total, view.viewport()->width());
}

TEST(NumberListsViewLayout, EveryColumnAndEveryLegendLineIsShownWhole)
{
    TBadNumbersForm form;
    Show(form);
    ExpectColumnsShown(*form.UnsuccListView());
    ExpectColumnsShown(*form.BadNumbersListView());

    // A column without a width of its own gets the list's default, scaled.
    const QTableWidget& upper = *form.UnsuccListView();
    EXPECT_EQ(upper.columnWidth(4), upper.columnWidth(5));
    EXPECT_LT(upper.columnWidth(4), upper.columnWidth(0));

    const QListWidget* legend = form.findChild<QListWidget*>();
    ASSERT_NE(legend, nullptr);
    const QFontMetrics fm(legend->font());
    for (int i = 0; i < legend->count(); ++i) {
        SCOPED_TRACE(legend->item(i)->text().toStdString());
        EXPECT_LE(fm.horizontalAdvance(legend->item(i)->text()), legend->viewport()->width());
    }
}

TEST(DriverModesLayout, TheWholeBadCallsGridIsShown)
{
    FakeMessageBox box;
    QTemporaryDir dir;
    TDriverModeDlg dlg(dir.path(), box, nullptr, [] { return 0; });
    Show(dlg);
    const QTableWidget& grid = *dlg.BadCallsTable();
    int total = 0;
    for (int c = 0; c < grid.columnCount(); ++c) {
        total += grid.columnWidth(c);
        const QFontMetrics fm(grid.font());
        for (int r = 0; r < grid.rowCount(); ++r) {
            // Header words ("Результат вызова", "OCC2") and numbers of five
            // digits are shown whole; the row names may take two lines.
            const QString text = grid.item(r, c) ? grid.item(r, c)->text() : QString();
            if (c == 0 && r > 0)
                continue;
            EXPECT_LE(fm.horizontalAdvance(text) + 6, grid.columnWidth(c)) << text.toStdString();
        }
    }
    EXPECT_LE(total, grid.viewport()->width());
    int rows = 0;
    for (int r = 0; r < grid.rowCount(); ++r)
        rows += grid.rowHeight(r);
    EXPECT_LE(rows, grid.viewport()->height());
}

class EditorLayout : public ::testing::Test {
protected:
    FakeMessageBox box;
};

TEST_F(EditorLayout, OpensShowingTheWholeTelegraphLine)
{
    EditorEnvironment env;
    env.Box = &box;
    TEditForm editor(env);
    Show(editor);
    EXPECT_TRUE(ShowsWholeTelegraphLine(editor));
    ExpectPanelsHold(*editor.StatusBar1(), {QStringLiteral("Номер: 1234567890"), QStringLiteral("Канал №8")});
}

TEST(NumberPadLayout, KeysAndTheNumberBoxAreShownWhole)
{
    TPasswordDlg pad;
    Show(pad);
    for (const QPushButton* key : pad.findChildren<QPushButton*>()) {
        SCOPED_TRACE(key->text().toStdString());
        EXPECT_GE(key->width(), key->sizeHint().width());
        EXPECT_TRUE(pad.rect().contains(key->geometry().translated(key->parentWidget()->mapTo(&pad, QPoint()))));
    }
}

} // namespace
} // namespace korvane::test
