// Seeded random INI files, with CR, LF, NUL, brackets, '=' and ';' in odd
// places: whatever the file holds, every name the reader lists can be read,
// and a write changes its own line and nothing else the reader sees.

#include "platform/CodePages.h"
#include "platform/IniFile.h"
#include "tests/fakes/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <utility>

using namespace korvane;

namespace {

class RandomIni {
public:
    explicit RandomIni(std::uint32_t seed) : m_rng(seed) {}

    size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(m_rng); }

    // Bytes made of pieces of INI syntax, line ends of every kind, blanks,
    // NUL, letters of both pages and anything at all.
    QByteArray file()
    {
        static const QByteArray pieces[] = {
            "[", "]", "=", ";", " ", "\t", "\r", "\n", "\r\n", QByteArray(1, '\0'), "\"", "'",
            "[S]", "[s]\r\n", "[ Channel #1 ]\n", "key", "KEY", "k=v", "Key = value \r\n", "\xC0\xFF\xE0", "\x98",
            "x", "1",
        };
        QByteArray out;
        for (int n = int(pick(60)); n > 0; --n) {
            if (pick(6) == 0)
                out.append(char(pick(256)));
            else
                out.append(pieces[pick(std::size(pieces))]);
        }
        return out;
    }

    // A value that reads back as written: no line end, no blank at either
    // end, not enclosed in quotes.
    QString value()
    {
        static const QString chars = QStringLiteral("ab XY=;[]\"'#ыЯ019\t") + QChar(0);
        QString v = QStringLiteral("v");
        for (int n = int(pick(12)); n > 0; --n)
            v += chars[qsizetype(pick(size_t(chars.size())))];
        return v + u'w';
    }

private:
    std::mt19937 m_rng;
};

// What the reader sees: for each section name it lists, the value of each
// key of that section.
using Seen = std::map<std::pair<QString, QString>, QString>;

const QString kMissing = QStringLiteral("\x01missing");

::testing::AssertionResult readEverything(const IniFile& ini, Seen& seen)
{
    seen.clear();
    for (const QString& section : ini.ReadSections()) {
        if (!ini.SectionExists(section))
            return ::testing::AssertionFailure() << "listed section not found: " << section.toStdString();
        for (const QString& key : ini.ReadSection(section)) {
            if (!ini.ValueExists(section, key))
                return ::testing::AssertionFailure() << "listed key not found: " << key.toStdString();
            const QString v = ini.ReadString(section, key, kMissing);
            if (v == kMissing)
                return ::testing::AssertionFailure() << "listed key reads as missing: " << key.toStdString();
            seen[{section, key}] = v;
        }
    }
    return ::testing::AssertionSuccess();
}

QByteArray contents(const QString& path)
{
    return korvane::test::ReadFileBytes(path);
}

void put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

std::string shown(const QByteArray& b) { return b.toHex(' ').toStdString(); }

} // namespace

TEST(DamagedIniFile, EveryListedSectionAndKeyReads)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("KORVANE2.INI");
    RandomIni make(11u);
    int keys = 0;
    for (int i = 0; i < 400 && !HasFailure(); ++i) {
        const QByteArray bytes = make.file();
        put(path, bytes);
        IniFile ini(path);
        Seen seen;
        EXPECT_TRUE(readEverything(ini, seen)) << shown(bytes);
        keys += int(seen.size());
        // Reads change nothing.
        EXPECT_EQ(contents(path), bytes);
    }
    EXPECT_GT(keys, 200); // the sweep meets keys, not only noise
}

TEST(DamagedIniFile, AWriteChangesItsOwnLineAndNothingElse)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("KORVANE2.INI");
    RandomIni make(12u);
    const QString newKey = QStringLiteral("Zq7");
    for (int i = 0; i < 300 && !HasFailure(); ++i) {
        const QByteArray before = make.file();
        put(path, before);
        IniFile ini(path);
        Seen seen;
        ASSERT_TRUE(readEverything(ini, seen)) << shown(before);
        const QStringList sections = ini.ReadSections();
        const QString section = sections.isEmpty() ? QStringLiteral("NEW") : sections[qsizetype(make.pick(size_t(sections.size())))];
        if (ini.ValueExists(section, newKey))
            continue;

        // A new key: it reads back, everything else reads as before, and
        // the file is the old one with the key's line put in (and a line
        // end given to a last line that had none).
        const QString value = make.value();
        ASSERT_TRUE(ini.WriteString(section, newKey, value));
        EXPECT_EQ(ini.ReadString(section, newKey, kMissing), value) << shown(before);
        Seen after;
        EXPECT_TRUE(readEverything(ini, after));
        // (listed once under each spelling of its section's name)
        std::erase_if(after, [&](const auto& entry) { return entry.first.second == newKey; });
        EXPECT_EQ(after, seen) << shown(before);
        QByteArray written = contents(path);
        const QByteArray line = "Zq7=" + codepage::toCp1251(value) + "\r\n";
        const qsizetype at = written.indexOf(line);
        ASSERT_GE(at, 0) << shown(written);
        written.remove(at, line.size());
        if (sections.isEmpty())
            written.replace("[NEW]\r\n", "");
        EXPECT_TRUE(written == before || written == before + "\r\n") << shown(before) << " -> " << shown(written);

        // Deleting it again leaves what the reader saw before.
        ASSERT_TRUE(ini.DeleteKey(section, newKey));
        EXPECT_FALSE(ini.ValueExists(section, newKey));
        if (!sections.isEmpty()) {
            EXPECT_TRUE(readEverything(ini, after));
            EXPECT_EQ(after, seen) << shown(before);
        }

        // A key already there takes its new value and nothing else moves.
        if (!seen.empty()) {
            auto it = seen.begin();
            std::advance(it, qsizetype(make.pick(seen.size())));
            const auto [where, old] = *it;
            const QString changed = make.value();
            ASSERT_TRUE(ini.WriteString(where.first, where.second, changed));
            EXPECT_EQ(ini.ReadString(where.first, where.second, kMissing), changed) << shown(before);
            EXPECT_TRUE(readEverything(ini, after));
            // (the same line, whatever the spelling of its names)
            Seen expected = seen;
            for (auto& [other, v] : expected)
                if (other.first.compare(where.first, Qt::CaseInsensitive) == 0
                    && other.second.compare(where.second, Qt::CaseInsensitive) == 0)
                    v = changed;
            EXPECT_EQ(after, expected) << shown(before);
        }
    }
}
