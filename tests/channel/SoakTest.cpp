// A soak of whole channels on virtual time: eight channels of "Стандарт A",
// each with a network of its own whose stations (drawn from a seeded
// generator) answer, refuse with NC, are engaged (OCC) for a few calls or
// break the line during the call, and many telegrams to random stations.
// Every telegram must end .TRS or in a failure extension, none may reach a
// station twice, and the journals must tell what the line carried.
//
// KORVANE_SOAK_TELEGRAMS sets the telegrams per channel (default 4; the
// full soak is 200), KORVANE_SOAK_SEED the seed (default 20261210).
#include "tests/channel/ChannelRig.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <map>
#include <random>

using namespace korvane;
using namespace korvane::test;

namespace {

constexpr int kChannels = 8;
constexpr int kStations = 16;

int EnvInt(const char* name, int fallback)
{
    const int v = qEnvironmentVariableIntValue(name);
    return v > 0 ? v : fallback;
}

// One connection of a transcript: the station, the telegram ids whose text
// went out, and whether its text was followed by the closing WRU.
struct Connection {
    QString number;
    QStringList ids;
    bool complete = false;
};

std::vector<Connection> Connections(const sim::Transcript& t, int* seizes)
{
    static const QRegularExpression id(QStringLiteral("MSG \\^?(\\d+)-(\\d+)<_"));
    std::vector<Connection> out;
    *seizes = 0;
    bool open = false;
    for (const TranscriptLine& l : ReadableTranscript(t, {"out +", "out -", "in +", "in -", "pulse"})) {
        if (l.what == QLatin1String("seize")) {
            ++*seizes;
        } else if (l.what.startsWith(QLatin1String("connect "))) {
            out.push_back({l.what.mid(8), {}, false});
            open = true;
        } else if (l.what == QLatin1String("clear") || l.what == QLatin1String("release")) {
            open = false;
        } else if (open && l.what.startsWith(QLatin1String("out \""))) {
            // Runs are split where the other direction spoke: look at each.
            for (auto m = id.globalMatch(l.what); m.hasNext();) {
                const auto match = m.next();
                out.back().ids << match.captured(1) + u'-' + match.captured(2);
                if (l.what.indexOf(u'@', match.capturedEnd()) >= 0)
                    out.back().complete = true;
            }
        }
    }
    return out;
}

TEST(Soak, EveryTelegramEndsOnceAndTheJournalsAgreeWithTheLine)
{
    const int telegrams = EnvInt("KORVANE_SOAK_TELEGRAMS", 4);
    const unsigned seed = unsigned(EnvInt("KORVANE_SOAK_SEED", 20261210));
    std::mt19937 random(seed);
    ChannelRig c;
    // Short retries, so that the refused numbers come round again soon.
    c.rig.modes.Set([](TDriverModes& m) {
        for (auto& column : m.BadCallsPolicy)
            column = {2, 10, 2, 20, 100000};
    });
    std::map<int, std::map<QString, QString>> kinds; // channel: number: kind
    for (int ch = 1; ch <= kChannels; ++ch) {
        QString scenario;
        for (int s = 0; s < kStations; ++s) {
            const QString n = QString::number(2000 + s);
            scenario += QStringLiteral("station %1 <_%1 ST%2\n").arg(n).arg(s);
            const int draw = int(random() % 10);
            QString kind;
            if (draw < 5) {
                kind = "answer";
                scenario += "do answerback\n";
            } else if (draw < 7) {
                kind = "occ";
                scenario += QStringLiteral("reply OCC %1\ndo answerback\n").arg(1 + random() % 2);
            } else if (draw < 8) {
                kind = "nc";
                scenario += "reply NC\n";
            } else {
                kind = "break";
                scenario += "do answerback\ndo wait 6000\ndo break 1500\n";
            }
            kinds[ch][n] = kind;
        }
        c.AddChannel(ch, scenario);
        for (int t = 1; t <= telegrams; ++t) {
            const QString n = QString::number(2000 + int(random() % kStations));
            c.PutTelegram(ch, QStringLiteral("TEL%1.TLG").arg(t, 5, 10, QLatin1Char('0')),
                          QStringLiteral("|#8-%1(%1 ST%2)\r\nMSG %3-%4\r\n").arg(n).arg(n.toInt() - 2000).arg(ch).arg(t));
        }
    }
    c.Start();
    QElapsedTimer wall;
    wall.start();
    auto pending = [&] {
        int left = 0;
        for (int ch = 1; ch <= kChannels; ++ch)
            left += ChannelRig::Files(c.OutDir(ch)).filter(QStringLiteral(".TLG")).size();
        return left;
    };
    const bool done = c.RunUntil([&] { return pending() == 0; }, std::int64_t(telegrams) * 120000, 1000);
    // Let the last calls clear and their journal lines be written.
    c.Advance(20000);
    EXPECT_TRUE(done) << pending() << " telegrams left";

    std::map<QString, int> outcomes;
    std::map<QString, int> byKind; // "<station kind> <extension>"
    int calls = 0, connections = 0, journalLines = 0;
    for (int ch = 1; ch <= kChannels; ++ch) {
        SCOPED_TRACE(ch);
        const QStringList files = ChannelRig::Files(c.OutDir(ch));
        std::map<QString, QString> endOf; // telegram id: its file's extension
        for (const QString& f : files) {
            if (!f.startsWith(QLatin1String("TEL")) || f.endsWith(QLatin1String(".PTC")) || f.endsWith(QLatin1String(".PT")))
                continue;
            const QString ext = f.section(u'.', 1);
            const QString tid = QStringLiteral("%1-%2").arg(ch).arg(f.mid(3, 5).toInt());
            EXPECT_FALSE(endOf.count(tid)) << "two ends of " << tid.toStdString();
            endOf[tid] = ext;
            ++outcomes[ext];
            EXPECT_TRUE(ext == QLatin1String("TRS") || FailureCodeNames.end() != std::find(FailureCodeNames.begin() + 1, FailureCodeNames.end(), ext))
                << f.toStdString();
        }
        EXPECT_EQ(int(endOf.size()), telegrams) << files.join(',').toStdString();

        int seizes = 0;
        const std::vector<Connection> conns = Connections(c.Transcript(ch), &seizes);
        calls += seizes;
        connections += int(conns.size());
        std::map<QString, int> delivered;
        for (const Connection& k : conns) {
            for (const QString& tid : k.ids)
                if (k.complete)
                    ++delivered[tid];
        }
        int trs = 0;
        for (const auto& [tid, ext] : endOf) {
            const int d = delivered.count(tid) ? delivered[tid] : 0;
            EXPECT_LE(d, 1) << tid.toStdString() << " reached its station twice";
            if (ext == QLatin1String("TRS")) {
                ++trs;
                EXPECT_EQ(d, 1) << tid.toStdString() << " is done without having been sent";
            }
        }
        const QStringList journal = c.TxJournal(ch);
        journalLines += int(journal.size());
        EXPECT_EQ(journal.filter(QStringLiteral("Успешно")).size(), trs);
        EXPECT_EQ(int(journal.size()), seizes) << "one journal line a call";
        // A station that answers, at once or after its OCCs, takes every
        // telegram; one that refuses or breaks takes none.
        for (const auto& [tid, ext] : endOf) {
            const QString text =
                c.OutFile(ch, QStringLiteral("TEL%1.%2").arg(tid.section(u'-', 1).toInt(), 5, 10, QLatin1Char('0')).arg(ext));
            const QString n = text.section(QStringLiteral("8-"), 1).left(4);
            const QString kind = kinds[ch][n];
            EXPECT_EQ(ext == QLatin1String("TRS"), kind == QLatin1String("answer") || kind == QLatin1String("occ"))
                << tid.toStdString() << " to " << n.toStdString() << " (" << kind.toStdString() << ") ended "
                << ext.toStdString();
            ++byKind[kind + u' ' + ext];
        }
    }
    QStringList summary;
    for (const auto& [ext, n] : outcomes)
        summary << QStringLiteral("%1 %2").arg(ext).arg(n);
    QStringList kindSummary;
    for (const auto& [k, n] : byKind)
        kindSummary << QStringLiteral("%1: %2").arg(k).arg(n);
    std::printf("soak by station kind: %s\n", qPrintable(kindSummary.join(", ")));
    std::printf("soak: %d channels x %d telegrams, seed %u: %s; %d calls, %d connections, %d journal lines; "
                "%.0f s of line time in %.1f s\n",
                kChannels, telegrams, seed, qPrintable(summary.join(", ")), calls, connections, journalLines,
                double(c.NowMs()) / 1000.0, double(wall.elapsed()) / 1000.0);
}

} // namespace
