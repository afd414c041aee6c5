#include "ui/settings/ChannelOptionsCommands.h"

#include "protocols/DefaultProtocols.h"
#include "protocols/DriverModes.h"
#include "protocols/TxProtoc.h"

#include "tests/fakes/FakeMessageBox.h"
#include "tests/ui/FakeAdapterPresence.h"
#include "tests/ui/FakeFileChooser.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace korvane;
using korvane::test::FakeAdapterPresence;
using korvane::test::FakeFileChooser;
using korvane::test::FakeMessageBox;

namespace {

class ChannelOptionsCommandsTest : public ::testing::Test {
protected:
    ChannelOptionsCommandsTest()
    {
        store.SetProName(QDir(dir.path()).filePath(QStringLiteral("KORVANE2.PRO")));
        store.SetIniName(QDir(dir.path()).filePath(QStringLiteral("KORVANE2.INI")));
        store.Load(); // writes the built-in set
        EXPECT_TRUE(QFileInfo::exists(store.ProName()));
        Age();
    }

    // Makes the protocol file look old, so that a rewrite shows.
    void Age()
    {
        QFile f(store.ProName());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addDays(-3), QFileDevice::FileModificationTime));
        old = QFileInfo(store.ProName()).lastModified();
    }
    bool Rewritten() const { return QFileInfo(store.ProName()).lastModified() != old; }

    // The set as the file holds it now.
    std::unique_ptr<TProtocolSet> OnDisk()
    {
        std::unique_ptr<TProtocolSet> set;
        EXPECT_TRUE(store.LoadFrom(set));
        return set;
    }

    ChannelOptionsEnvironment Env() { return {&box, &adapter, &files, nullptr, nullptr, dir.path() + u'/'}; }

    QTemporaryDir dir;
    FakeMessageBox storeBox;
    TProtocol store{storeBox};
    FakeMessageBox box;
    FakeAdapterPresence adapter;
    FakeFileChooser files;
    QDateTime old;
};

TEST_F(ChannelOptionsCommandsTest, CancelWritesNothing)
{
    const bool written = EditChannelOptions(store, 3, Env(), nullptr, [](TMultPageDlg& d) {
        d.AdapterType()->setCurrentIndex(2);
        d.reject();
        return d.result();
    });
    EXPECT_FALSE(written);
    EXPECT_FALSE(Rewritten());
    EXPECT_EQ(OnDisk()->Channels[2].AdapterType, 0u);
}

TEST_F(ChannelOptionsCommandsTest, OkWritesTheEditedChannelEvenWithoutAChange)
{
    int shownChannel = 0;
    QString shownCaption;
    EXPECT_TRUE(EditChannelOptions(store, 3, Env(), nullptr, [&](TMultPageDlg& d) {
        shownChannel = d.FChannel;
        shownCaption = d.windowTitle();
        d.accept();
        return d.result();
    }));
    EXPECT_EQ(shownChannel, 3);
    // The caption names the channel also when the dialog is shown by another hand than exec().
    EXPECT_EQ(shownCaption, QStringLiteral("Настройки канала 3"));
    EXPECT_TRUE(Rewritten());

    Age();
    EXPECT_TRUE(EditChannelOptions(store, 3, Env(), nullptr, [](TMultPageDlg& d) {
        d.AdapterType()->setCurrentIndex(2);
        d.accept();
        return d.result();
    }));
    EXPECT_TRUE(Rewritten());
    const std::unique_ptr<TProtocolSet> disk = OnDisk();
    EXPECT_EQ(disk->Channels[2].AdapterType, 2u);
    EXPECT_EQ(disk->Channels[1].AdapterType, 0u);
    EXPECT_TRUE(box.shown.isEmpty());
}

TEST_F(ChannelOptionsCommandsTest, RefusedSetIsNotWritten)
{
    // A value the engine could not read, already in the file.
    std::unique_ptr<TProtocolSet> damaged = OnDisk();
    bool done = false;
    for (TElementRec& e : damaged->Protocols[0].front().Elements)
        for (TParamValue& v : e.Params)
            if (!done && v.Def && v.Def->kind() == ParamKind::Numeric) {
                v.Value = QStringLiteral("1,5");
                done = true;
            }
    ASSERT_TRUE(done);
    ASSERT_TRUE(store.SaveTo(damaged));
    Age();

    EXPECT_FALSE(EditChannelOptions(store, 1, Env(), nullptr, [](TMultPageDlg& d) {
        d.AdapterType()->setCurrentIndex(1);
        d.accept();
        return d.result();
    }));
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_TRUE(box.shown[0].text.startsWith(QStringLiteral("В протоколе \"")));
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("неверное значение параметра")));
    EXPECT_FALSE(Rewritten());
    EXPECT_EQ(OnDisk()->Channels[0].AdapterType, 0u);
}

// Speaker mode (the zero driver modes here) and the built-in sounds, three of
// which have a wave file but no melody: the dialog's store would switch them
// off; storing an answerback must not.
TEST_F(ChannelOptionsCommandsTest, AnswerBackIsStoredCutToTwentyWithoutADialog)
{
    ASSERT_EQ(GlobalModes.SoundCardMode, 0);
    const std::unique_ptr<TProtocolSet> before = OnDisk();
    ASSERT_EQ(before->Channels[4].Sounds[7].Enabled, 1);
    ASSERT_TRUE(before->Channels[4].Sounds[7].Melody.text().isEmpty());
    ASSERT_TRUE(before->Channels[4].TlgHeader.text().contains(u'{'));
    const QString answerBack = QStringLiteral("^12345$ ABCDEFGHIJKLMNOPQ");
    ASSERT_GT(answerBack.size(), 20);
    EXPECT_TRUE(SetChannelAnswerBack(store, 5, answerBack, Env()));
    EXPECT_TRUE(Rewritten());
    const std::unique_ptr<TProtocolSet> disk = OnDisk();
    EXPECT_EQ(disk->Channels[4].AnswerBack.text(), answerBack.left(20));
    // The rest of the record and the other channels are as they were.
    TChannelOptions expected = before->Channels[4];
    expected.AnswerBack.setText(answerBack.left(20));
    EXPECT_EQ(disk->Channels[4].toBytes(), expected.toBytes());
    EXPECT_EQ(disk->Channels[3].toBytes(), before->Channels[3].toBytes());
    EXPECT_TRUE(adapter.calls.empty());
    EXPECT_TRUE(box.shown.isEmpty());
}

} // namespace
