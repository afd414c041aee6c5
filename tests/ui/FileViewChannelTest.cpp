// The folder browser with a running channel on the simulated network: a
// blocked telegram activated in the browser is called on the channel's next
// scan, and the engine's refresh keeps the browser on the telegram as it
// becomes .TRS.
#include "tests/channel/ChannelRig.h"

#include "engine/CallFailurePolicy.h"
#include "ui/telegrams/TxFileView.h"

#include <QTreeView>

using namespace korvane;
using namespace korvane::test;

namespace {

QString Focused(const QTreeView& list)
{
    return list.currentIndex().isValid() ? list.currentIndex().siblingAtColumn(0).data().toString() : QString();
}

TEST(FileViewChannel, ABlockedTelegramActivatedInTheBrowserIsCalledOnTheNextScan)
{
    ChannelRig c;
    c.AddChannel(1, QStringLiteral("answer"));
    c.PutTelegram(1, "TEL00001.LER", QStringLiteral("|      ~8-2345(2345 XYZ)\r\nTEST TELEGRAM\r\n"));
    FakeMessageBox box;
    FileViewEnvironment env;
    env.Box = &box;
    env.ProgramFolder = c.rig.dir.path();
    TFileViewForm form(env);
    c.rig.configure = [&form](ScannerEnvironment& se) { se.RefreshFolder = form.RefreshCallback(); };
    c.Start();
    {
        const ListsBusyLock lock;
        auto reason = std::make_unique<TBadNumObject>();
        reason->Reason = FailureCodes::Occ;
        BadNumbers->Add(QStringLiteral("8-2345"), std::move(reason));
    }

    // Blocked, the telegram is not called however long the channel waits.
    c.Advance(70000);
    EXPECT_TRUE(ReadableTranscript(c.Transcript(), {"out +", "out -", "in +", "in -"}).empty());
    ASSERT_EQ(ChannelRig::Files(c.OutDir()), QStringList{"TEL00001.LER"});

    form.FillChannelTree(c.rig.scanner.get());
    form.show();
    form.SelectFolder(c.OutDir());
    QTreeView& list = *form.FileListView();
    ASSERT_EQ(Focused(list), QStringLiteral("TEL00001.LER"));
    form.ActivateTLGAction->trigger();
    ASSERT_EQ(ChannelRig::Files(c.OutDir()), QStringList{"TEL00001.TLG"});
    EXPECT_FALSE(ChannelRig::RetryOf(QStringLiteral("8-2345"))) << "released from the lists";

    ASSERT_TRUE(c.RunCall());
    const auto lines = ReadableTranscript(c.Transcript());
    EXPECT_TRUE(Whats(lines).contains(QStringLiteral("select 2345"))) << Whats(lines).join('\n').toStdString();
    EXPECT_EQ(ChannelRig::Files(c.OutDir()), (QStringList{"TEL00001.PTC", "TEL00001.TRS"}));
    EXPECT_EQ(c.OutFile(1, "TEL00001.TRS"), QStringLiteral("|      *8-2345(2345 XYZ)\r\nTEST TELEGRAM\r\n"));
    ASSERT_EQ(c.TxJournal().size(), 1);
    EXPECT_TRUE(c.TxJournal()[0].contains(QStringLiteral("Успешно"))) << c.TxJournal()[0].toStdString();

    // The engine's refresh: the browser lists the folder anew and stays on
    // the telegram under its new extension.
    EXPECT_EQ(Focused(list), QStringLiteral("TEL00001.TRS"));
    EXPECT_EQ(form.ViewerLines(), (QStringList{"|      *8-2345(2345 XYZ)", "TEST TELEGRAM"}));
}

} // namespace
