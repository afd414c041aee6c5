// The program's own picture is the icon of every window it opens: the main
// window, its MDI children (whose title bars would otherwise show the
// toolkit's logo) and its other windows.

#include "tests/e2e/ProgramRig.h"

#include "ui/program/ProgramPicture.h"
#include "ui/settings/TxABForm.h"
#include "ui/telegrams/TxFileView.h"
#include "ui/telegrams/txBadNumbers.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <gtest/gtest.h>

using namespace korvane;

namespace {

class ProgramIconTest : public korvane::test::ProgramRig {};

QImage Picture(const QIcon& icon)
{
    return icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST_F(ProgramIconTest, EveryWindowShowsTheProgramsPicture)
{
    Start();
    TMainForm& form = program->MainForm();
    ASSERT_TRUE(RunUntil([&] { return form.ChannelWindowOf(1) != nullptr; }, 10));
    form.CreateTelegram(1);
    form.ShowTransmitJournal(1);

    const QImage own = Picture(ProgramIcon());
    ASSERT_FALSE(own.isNull());
    EXPECT_EQ(Picture(QApplication::windowIcon()), own);
    const QList<QWidget*> windows = {&form, &program->FileViewForm(), &program->BadNumbersForm(),
                                     &program->ABForm()};
    for (QWidget* w : windows)
        EXPECT_EQ(Picture(w->windowIcon()), own) << w->metaObject()->className();
    const QList<QMdiSubWindow*> children = form.MdiArea()->subWindowList();
    ASSERT_EQ(children.size(), 3);
    for (QMdiSubWindow* sub : children)
        EXPECT_EQ(Picture(sub->windowIcon()), own) << sub->widget()->metaObject()->className();
}

} // namespace
