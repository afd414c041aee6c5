#pragma once

// The folder browser on a temporary channel folder: outgoing and incoming
// folders of channel 1 (and of channel 3), files put with the bytes and the
// date a test gives, the boxes answered by a box that can act while it is
// open, and the raw printout and the printout captured.

#include "platform/MessageBox.h"
#include "support/OemText.h"
#include "tests/fakes/TestFiles.h"
#include "tests/ui/QtPrinters.h"
#include "ui/mainwindow/StatusPanels.h"
#include "ui/telegrams/TxFileView.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeView>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

namespace korvane::test {

// Records every box and answers Yes (or Ok); While runs while a box is open.
class ActingMessageBox final : public MessageBox {
public:
    struct Shown {
        QString text;
        MessageIcon icon;
        MessageButtons buttons;
    };
    MessageResult show(const QString& text, const QString&, MessageIcon icon, MessageButtons buttons) override
    {
        shown.append({text, icon, buttons});
        if (While)
            While();
        if (!answers.empty()) {
            const MessageResult r = answers.front();
            answers.pop_front();
            return r;
        }
        return buttons == MessageButtons::YesNo ? MessageResult::Yes : MessageResult::Ok;
    }
    QList<Shown> shown;
    std::deque<MessageResult> answers;
    std::function<void()> While;
};

struct FileViewFixture : ::testing::Test {
    QTemporaryDir tmp;
    QString out = tmp.filePath(QStringLiteral("OUTGO1"));
    QString in = tmp.filePath(QStringLiteral("INCOM1"));
    ActingMessageBox box;
    QStringList logged;
    QList<QStringList> dosPrinted;
    QList<QStringList> printed;
    std::unique_ptr<TFileViewForm> form;

    FileViewFixture()
    {
        QDir().mkpath(out);
        QDir().mkpath(in);
        QDir().mkpath(tmp.filePath(QStringLiteral("OUTGO3")));
        QDir().mkpath(tmp.filePath(QStringLiteral("INCOM3")));
        form = std::make_unique<TFileViewForm>(Environment());
        form->FillChannelTree(Channels());
    }

    FileViewEnvironment Environment(bool capturePrinting = true)
    {
        FileViewEnvironment env;
        env.Box = &box;
        env.ProgramFolder = tmp.path();
        env.Log = [this](const QString& l) { logged << l; };
        if (capturePrinting) {
            env.DosPrint = [this](const QStringList& lines) { dosPrinted << lines; };
            env.Print = [this](const QStringList& lines, const QFont&) { printed << lines; };
        }
        return env;
    }
    std::vector<TChannelFolders> Channels()
    {
        return {{1, tmp.filePath(QStringLiteral("tx1.all")), out, in},
                {3, tmp.filePath(QStringLiteral("tx3.all")), tmp.filePath(QStringLiteral("OUTGO3")),
                 tmp.filePath(QStringLiteral("INCOM3"))}};
    }

    // A file of Text in the OEM code page, last changed At (now when invalid).
    static void Put(const QString& folder, const QString& name, const QString& text,
                    const QDateTime& at = QDateTime())
    {
        const QString path = folder + u'/' + name;
        ASSERT_TRUE(WriteFileBytes(path, AnsiToOem(text)));
        if (at.isValid()) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            ASSERT_TRUE(f.setFileTime(at, QFileDevice::FileModificationTime));
        }
    }
    static QString Oem(const QString& path) { return OemToAnsi(ReadFileBytes(path)); }

    QTreeView& List() { return *form->FileListView(); }
    QAbstractItemModel& Rows() { return *List().model(); }
    // The text of a row's column.
    QString Text(const QModelIndex& row, int column) { return row.siblingAtColumn(column).data().toString(); }
    QStringList Names()
    {
        QStringList names;
        for (int i = 0; i < Rows().rowCount(); ++i)
            names << Rows().index(i, 0).data().toString();
        return names;
    }
    QModelIndex Item(const QString& name)
    {
        for (int i = 0; i < Rows().rowCount(); ++i)
            if (Rows().index(i, 0).data().toString() == name)
                return Rows().index(i, 0);
        ADD_FAILURE() << "no item " << name.toStdString();
        return {};
    }
    // The row focused and alone selected, as a click does.
    void Click(const QString& name)
    {
        List().selectionModel()->setCurrentIndex(Item(name),
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    // The row focused and added to the selection, as a click with Ctrl does.
    void CtrlClick(const QString& name)
    {
        List().selectionModel()->setCurrentIndex(Item(name), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QString Focused() { return List().currentIndex().isValid() ? Text(List().currentIndex(), 0) : QString(); }
    QStringList Selected()
    {
        QStringList names;
        for (const QModelIndex& i : List().selectionModel()->selectedRows())
            names << i.data().toString();
        names.sort();
        return names;
    }
    QString Panel(int n) { return form->StatusBar1()->PanelText(n); }
};

} // namespace korvane::test
