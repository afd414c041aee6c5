#pragma once

#include "directories/DirectoryStatements.h"
#include "directories/TxDataM.h"
#include "tests/fakes/FakeMessageBox.h"
#include "tests/fakes/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace korvane::test {

struct Subscriber {
    QString Number;
    QString Name;
    QString AnswerBack;
};

// A database folder in a temporary directory and a data module on it.
class DirectoryFixture : public ::testing::Test {
protected:
    QString DbPath() const { return dir.filePath(QStringLiteral("KorvaneDB")); }
    QString DbFile(const QString& name) const { return QDir(DbPath()).filePath(name); }

    void SetUp() override { ASSERT_TRUE(QDir().mkpath(DbPath())); }

    TTxDataModule& Start(std::optional<std::chrono::milliseconds> paradoxDeadline = std::nullopt)
    {
        module.reset();
        module = std::make_unique<TTxDataModule>(DbPath(), box, paradoxDeadline);
        return *module;
    }

    // Adds subscribers through the directory's own statement, then shows
    // them in record-number order.
    void AddSubscribers(const QList<Subscriber>& subscribers)
    {
        for (const Subscriber& s : subscribers) {
            PrepareAbonentAdd(module->DynamicQuery, s.Number, s.Name, s.AnswerBack);
            ASSERT_TRUE(module->DynamicQuery.ExecSQL()) << module->DynamicQuery.LastError().toStdString();
        }
        ASSERT_TRUE(module->OpenAbonentQuery(QStringLiteral("ABONENT_ID")));
    }

    static QByteArray ReadAll(const QString& path)
    {
        return korvane::test::ReadFileBytes(path);
    }
    static void WriteAll(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir dir;
    FakeMessageBox box;
    std::unique_ptr<TTxDataModule> module;
};

} // namespace korvane::test
