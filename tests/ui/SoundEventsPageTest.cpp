#include "ui/settings/SoundEventsPage.h"

#include "protocols/DefaultProtocols.h"
#include "protocols/DriverModes.h"
#include "support/Tunes.h"

#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeToneOutput.h"
#include "tests/fakes/FakeWavePlayer.h"
#include "tests/ui/FakeFileChooser.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace korvane;
using korvane::test::FakeClock;
using korvane::test::FakeFileChooser;
using korvane::test::FakeToneOutput;
using korvane::test::FakeWavePlayer;

namespace {

using Sounds = std::array<TSoundEntry, TChannelOptions::kSoundCount>;

TSoundEntry Entry(std::uint8_t enabled, const QString& melody, const QString& wav, std::uint8_t loop = 0)
{
    TSoundEntry e;
    e.Enabled = enabled;
    e.Loop = loop;
    e.Melody.setText(melody);
    e.WavFile.setText(wav);
    return e;
}

class SoundEventsPageTest : public ::testing::Test {
protected:
    explicit SoundEventsPageTest(bool soundCard = true)
    {
        saved_ = GlobalModes;
        GlobalModes.SoundCardMode = soundCard ? 1 : 0;
        appDir = dir.path() + QLatin1Char('/');
        QDir(dir.path()).mkdir(QStringLiteral("wavs"));
        page = std::make_unique<TSoundEventsPage>(
            TSoundEventsPage::Environment{&waves, &tunes, &files, appDir});
        page->FillSoundTree();
    }
    ~SoundEventsPageTest() override { GlobalModes = saved_; }

    void Select(int index)
    {
        QTreeWidgetItem* root = page->SoundTreeView()->topLevelItem(0);
        page->SoundTreeView()->setCurrentItem(index == 0 ? root : root->child(index - 1));
    }
    void TypeName(const QString& text)
    {
        QLineEdit* edit = page->NameComboBox()->lineEdit();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }

    TDriverModes saved_;
    QTemporaryDir dir;
    QString appDir;
    FakeWavePlayer waves;
    FakeClock clock;
    FakeToneOutput tone{clock};
    TunePlayer tunes{tone, clock, [this](std::uint32_t ms) { clock.advance(std::max<std::uint32_t>(ms, 1)); }};
    FakeFileChooser files;
    std::unique_ptr<TSoundEventsPage> page;
};

class SpeakerSoundPageTest : public SoundEventsPageTest {
protected:
    SpeakerSoundPageTest() : SoundEventsPageTest(false) {}
};

TEST_F(SoundEventsPageTest, TreeHoldsTheRootAndTheTenEventsAllOn)
{
    QTreeWidget* tree = page->SoundTreeView();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    EXPECT_EQ(root->text(0), QStringLiteral("Прием-передача"));
    EXPECT_TRUE(root->isExpanded());
    EXPECT_EQ(tree->currentItem(), root);
    const QStringList names = {
        "Начало передачи", "Окончание передачи", "Успешное окончание передачи", "Начало приема",
        "Окончание приема", "Переход в \"Диалог\"", "Переход в \"Контроль\"", "Прием-передача",
        "Ожидание", "Авария",
    };
    ASSERT_EQ(root->childCount(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(root->child(i)->text(0), names[i]);
        EXPECT_TRUE(page->ShowsOn(i + 1));
        EXPECT_EQ(page->Record(i + 1).WavFile, DefaultSoundEntry()[std::size_t(i)].WavFile.text());
        EXPECT_EQ(page->Record(i + 1).Melody, DefaultSoundEntry()[std::size_t(i)].Melody.text());
    }
    EXPECT_EQ(page->SoundLabel()->text(), QStringLiteral("Имя"));
    EXPECT_EQ(page->ExploreButton()->text(), QStringLiteral("Обзор..."));
}

TEST_F(SpeakerSoundPageTest, LabelNamesTheMelodyInSpeakerMode)
{
    EXPECT_EQ(page->SoundLabel()->text(), QStringLiteral("Условная запись мелодии"));
}

struct StoreCase {
    bool soundCard;
    std::uint8_t enabled;
    const char* melody;
    const char* wav;
    std::uint8_t storedEnabled;
};

TEST(SoundEventsStore, AnEventWithoutANameForTheOutputModeIsStoredOff)
{
    const TDriverModes saved = GlobalModes;
    const std::vector<StoreCase> cases = {
        {true, 1, "asd", "", 0},  {true, 1, "", "tick.wav", 1}, {true, 0, "asd", "tick.wav", 0},
        {false, 1, "", "tick.wav", 0}, {false, 1, "asd", "", 1}, {false, 0, "asd", "x.wav", 0},
    };
    FakeFileChooser files;
    for (const StoreCase& c : cases) {
        SCOPED_TRACE(std::string(c.soundCard ? "card " : "speaker ") + c.melody + "/" + c.wav);
        GlobalModes.SoundCardMode = c.soundCard;
        TSoundEventsPage page({nullptr, nullptr, &files, QStringLiteral("/tmp/")});
        page.FillSoundTree();
        Sounds in{};
        in[3] = Entry(c.enabled, QString::fromUtf8(c.melody), QString::fromUtf8(c.wav), 1);
        page.LoadSounds(in);
        EXPECT_EQ(page.ShowsOn(4), c.enabled != 0);
        Sounds out{};
        out[3].Loop = 1;
        page.StoreSounds(out);
        EXPECT_EQ(out[3].Enabled, c.storedEnabled);
        EXPECT_EQ(out[3].Melody.text(), QString::fromUtf8(c.melody));
        EXPECT_EQ(out[3].WavFile.text(), QString::fromUtf8(c.wav));
        EXPECT_EQ(out[3].Loop, 1); // not touched
    }
    GlobalModes = saved;
}

TEST_F(SoundEventsPageTest, TypedNameGoesToTheEventSelectedWhileTyping)
{
    Select(2);
    EXPECT_EQ(page->NameComboBox()->currentText(), QStringLiteral("Birds_end.wav"));
    TypeName(QStringLiteral("new.wav"));
    EXPECT_TRUE(page->FSoundNameChanged);
    Select(5);
    EXPECT_EQ(page->Record(2).WavFile, QStringLiteral("new.wav"));
    EXPECT_EQ(page->Record(5).WavFile, QStringLiteral("ring.wav"));
    EXPECT_EQ(page->NameComboBox()->currentText(), QStringLiteral("ring.wav"));
    EXPECT_FALSE(page->FSoundNameChanged);

    // Leaving the box stores too, cut to 255 characters.
    TypeName(QString(300, QLatin1Char('w')));
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(page->NameComboBox(), &out);
    EXPECT_EQ(page->Record(5).WavFile, QString(255, QLatin1Char('w')));
    Sounds stored{};
    page->StoreSounds(stored);
    EXPECT_EQ(stored[4].WavFile.text(), QString(255, QLatin1Char('w')));
    EXPECT_EQ(stored[1].WavFile.text(), QStringLiteral("new.wav"));
}

TEST_F(SpeakerSoundPageTest, SpeakerModeEditsTheMelody)
{
    Select(1);
    EXPECT_EQ(page->NameComboBox()->currentText(), QStringLiteral(">asdfghj"));
    TypeName(QStringLiteral("gfd"));
    Select(3);
    EXPECT_EQ(page->Record(1).Melody, QStringLiteral("gfd"));
    EXPECT_EQ(page->Record(1).WavFile, QStringLiteral("Birds_begin.wav"));
    EXPECT_FALSE(page->SndFindFileAction()->isEnabled()); // no browsing for melodies
    EXPECT_TRUE(page->SoundChkAction()->isEnabled());
}

TEST_F(SoundEventsPageTest, DoubleClickTogglesAndAnEventOffCannotBeEditedTestedOrBrowsed)
{
    Select(4);
    EXPECT_TRUE(page->SoundChkAction()->isEnabled());
    EXPECT_TRUE(page->SndFindFileAction()->isEnabled());
    EXPECT_TRUE(page->NameComboBox()->isEnabled());
    page->SoundTreeViewDblClick();
    EXPECT_FALSE(page->ShowsOn(4));
    EXPECT_EQ(page->Record(4).Enabled, 0);
    EXPECT_FALSE(page->SoundChkAction()->isEnabled());
    EXPECT_FALSE(page->SndFindFileAction()->isEnabled());
    EXPECT_FALSE(page->NameComboBox()->isEnabled());
    EXPECT_FALSE(page->SoundLabel()->isEnabled());
    Sounds stored{};
    page->StoreSounds(stored);
    EXPECT_EQ(stored[3].Enabled, 0);
    page->SoundTreeViewDblClick();
    EXPECT_TRUE(page->ShowsOn(4));
    page->StoreSounds(stored);
    EXPECT_EQ(stored[3].Enabled, 1);
}

TEST_F(SoundEventsPageTest, TheRootCanBeToggledAndNamedButIsNeverStored)
{
    Sounds before{};
    page->StoreSounds(before);
    Select(0);
    TypeName(QStringLiteral("root.wav"));
    page->StoreSoundName();
    page->SoundTreeViewDblClick();
    EXPECT_EQ(page->Record(0).WavFile, QStringLiteral("root.wav"));
    EXPECT_FALSE(page->ShowsOn(0));
    Sounds after{};
    page->StoreSounds(after);
    EXPECT_EQ(after, before);
}

TEST_F(SoundEventsPageTest, WaveChosenInTheWavsFolderIsStoredBare)
{
    Select(8);
    const QString wavs = appDir + QStringLiteral("wavs");
    files.answers = {wavs + QStringLiteral("/chime.wav"), QStringLiteral("/usr/share/sounds/far.wav")};
    page->SndFindFileActionExecute();
    ASSERT_EQ(files.asked.size(), 1u);
    EXPECT_EQ(files.asked[0].startDir, wavs);
    EXPECT_EQ(files.asked[0].filter, QStringLiteral("Wav files (*.wav)|*.WAV"));
    EXPECT_EQ(page->Record(8).WavFile, QStringLiteral("chime.wav"));
    EXPECT_EQ(page->NameComboBox()->currentText(), QStringLiteral("chime.wav"));

    page->SoundChkActionExecute();
    ASSERT_EQ(waves.played.size(), 1u);
    EXPECT_EQ(waves.played[0], (FakeWavePlayer::Play{wavs + QStringLiteral("/chime.wav"), false}));

    page->SndFindFileActionExecute();
    EXPECT_EQ(page->Record(8).WavFile, QStringLiteral("/usr/share/sounds/far.wav"));
    page->SoundChkActionExecute();
    EXPECT_EQ(waves.played.back().file, QStringLiteral("/usr/share/sounds/far.wav"));

    // Nothing chosen: the name stays.
    page->SndFindFileActionExecute();
    EXPECT_EQ(page->Record(8).WavFile, QStringLiteral("/usr/share/sounds/far.wav"));
}

TEST_F(SpeakerSoundPageTest, TestPlayOfAMelodyReturnsWhenItHasEnded)
{
    Select(6); // ">asd<dsa"
    const std::uint64_t start = clock.tickMs();
    page->SoundChkActionExecute();
    EXPECT_TRUE(tunes.TuneDone());
    EXPECT_FALSE(tone.sounding());
    EXPECT_GE(clock.tickMs() - start, 6 * TunePlayer::kStepMs);
    EXPECT_GE(tone.timeline().size(), 6u);
    EXPECT_TRUE(waves.played.empty());
}

} // namespace
