#include "RecordingChannelWindowView.h"
#include "engine/ChannelWindowState.h"
#include "engine/GuiThreadQueue.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <thread>

using namespace korvane;
using korvane::test::RecordingChannelWindowView;

namespace {

// Runs Work on a thread of its own and waits for it.
template <typename Work>
void OnTimerThread(Work work)
{
    std::thread t(work);
    t.join();
}

} // namespace

TEST(GuiThreadQueue, RunsAtOnceOnItsOwnThread)
{
    GuiThreadQueue queue;
    EXPECT_TRUE(queue.OnOwnThread());
    int runs = 0;
    queue.Post([&] { ++runs; });
    EXPECT_EQ(runs, 1);
}

TEST(GuiThreadQueue, CallsFromAnotherThreadRunLaterOnItsThreadInOrder)
{
    GuiThreadQueue queue;
    QList<int> order;
    QList<QThread*> threads;
    OnTimerThread([&] {
        EXPECT_FALSE(queue.OnOwnThread());
        for (int i = 0; i < 100; ++i)
            queue.Post([&, i] {
                order << i;
                threads << QThread::currentThread();
            });
    });
    EXPECT_TRUE(order.isEmpty());
    QCoreApplication::processEvents();
    ASSERT_EQ(order.size(), 100);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(order[i], i);
        EXPECT_EQ(threads[i], QThread::currentThread());
    }
}

TEST(GuiThreadQueue, ACallOnItsOwnThreadWaitsForTheCallsQueuedBeforeIt)
{
    GuiThreadQueue queue;
    QStringList shown;
    OnTimerThread([&] { queue.Post([&] { shown << "from the timer"; }); });
    queue.Post([&] { shown << "from the GUI thread"; });
    QCoreApplication::processEvents();
    EXPECT_EQ(shown, QStringList({"from the timer", "from the GUI thread"}))
        << "the later call must not be overwritten by the earlier one";
}

TEST(GuiThreadQueue, CallsStillQueuedWhenItIsDestroyedAreDropped)
{
    int runs = 0;
    {
        GuiThreadQueue queue;
        OnTimerThread([&] { queue.Post([&] { ++runs; }); });
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 0);
}

TEST(ChannelWindowStateThreads, ControlOperationsFromTheTimerThreadArriveInOrderOnTheGuiThread)
{
    RecordingChannelWindowView view;
    ChannelWindowState state(view);
    state.SetChannel(2);
    view.Forget();

    OnTimerThread([&] {
        state.SetElementName("Ожидание");
        state.SetDialogMode(true);
        state.AddText("первая");
        for (QChar c : QStringView(u"AB\r"))
            state.SendMemoChar(c);
        state.SetLedAutoBlink(ChannelLed::Tx, true);
        state.SetTelegramFile("TEL00001.PTC");
        state.ClearText();
    });
    EXPECT_TRUE(view.calls.isEmpty());
    EXPECT_FALSE(state.DialogMode());

    QCoreApplication::processEvents();
    EXPECT_EQ(view.calls, (QStringList{"status1.3 Ожидание", "caption Диалог - канал 2",
                                       "cursor arrow", "line первая", "char A", "char B", "char \r",
                                       "tx blink 1", "status2.4 TEL00001.PTC", "clear"}));
    for (QThread* t : view.threads)
        EXPECT_EQ(t, QThread::currentThread());
    EXPECT_TRUE(state.DialogMode());
    EXPECT_EQ(state.Column(), 0);
}

TEST(ChannelWindowStateThreads, RequestFieldsFromTheTimerThreadAreStoredAtOnce)
{
    RecordingChannelWindowView view;
    ChannelWindowState state(view);
    state.SetChannel(1);
    state.SetProgressMax(10);
    OnTimerThread([&] {
        state.SetChannelState(ChannelStates::Calling);
        state.SetAuxState(5);
        state.PostMessageCode(ChannelMessageCodes::Refused);
        state.SetAdapterTimeout();
        state.SetProgressActive(true);
    });
    EXPECT_EQ(state.PendingState(), ChannelStates::Calling);
    EXPECT_EQ(state.AuxState(), 5);
    EXPECT_EQ(state.PendingMessageCode(), ChannelMessageCodes::Refused);
    EXPECT_TRUE(state.AdapterTimeout());
    EXPECT_TRUE(state.ProgressActive());

    state.MessagesTimerTimer();
    EXPECT_EQ(state.ChannelState(), ChannelStates::Calling);
    EXPECT_EQ(view.boxes.size(), 2);
    EXPECT_EQ(view.With("progress"), QStringList{"progress show 10"});
}

TEST(ChannelWindowStateThreads, TheTimerThreadAndTheWindowTimerRunTogether)
{
    RecordingChannelWindowView view;
    ChannelWindowState state(view);
    state.SetChannel(1);
    state.SetDialogMode(true);
    std::atomic<bool> done{false};
    std::thread driver([&] {
        for (int i = 0; i < 2000; ++i) {
            state.SetChannelState(i % 2 ? ChannelStates::Calling : ChannelStates::Dialling);
            state.SetElementName(QString::number(i % 7));
            state.AdvanceProgressPosition();
            if (const auto key = state.KeyRing().Take())
                state.SendMemoChar(*key);
        }
        state.SetChannelState(ChannelStates::Idle);
        state.SendMemoChar(u'.');
        done = true;
    });
    QString typed;
    while (!done) {
        if (state.KeyRing().Put(QChar(u'x')))
            typed.append(u'x');
        state.MessagesTimerTimer();
        QCoreApplication::processEvents();
    }
    driver.join();
    QCoreApplication::processEvents();
    state.MessagesTimerTimer();
    EXPECT_EQ(state.ChannelState(), ChannelStates::Idle);
    EXPECT_TRUE(view.memo.endsWith(u'.'));
    EXPECT_LE(view.memo.size(), typed.size() + 1);
    EXPECT_TRUE(view.boxes.isEmpty());
}
