#pragma once

// What the whole-channel tests of outgoing calls share: setting a number's
// retry wait, and reading back the text the terminal sent to one station.

#include "tests/channel/ChannelRig.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

namespace korvane::test {

// Number waits Seconds for its next attempt (0: callable now).
inline void SetWait(const QString& number, std::int16_t seconds)
{
    const ListsBusyLock lock;
    int i = UnsuccNumbers->IndexOf(number);
    if (i < 0)
        i = UnsuccNumbers->Add(number, std::make_unique<TUnsucNumObject>());
    UnsuccNumbers->ObjectAs<TUnsucNumObject>(i)->Wait = seconds;
}

// What the terminal sent while it was connected to Station; ConnectedOnce,
// when given, tells whether it was connected to it at all.
inline QString TextSentTo(ChannelRig& c, const QString& station, bool* connectedOnce = nullptr)
{
    static const QStringList noPolarity = {"out +", "out -", "in +", "in -"};
    QString text;
    bool connected = false;
    for (const TranscriptLine& l : ReadableTranscript(c.Transcript(), noPolarity)) {
        if (l.what == QLatin1String("connect ") + station) {
            connected = true;
            if (connectedOnce)
                *connectedOnce = true;
        } else if (l.what == QLatin1String("clear") || l.what.startsWith(QLatin1String("connect "))) {
            connected = false;
        } else if (connected && l.what.startsWith(QLatin1String("out \""))) {
            text += l.what;
        }
    }
    return text;
}

} // namespace korvane::test
