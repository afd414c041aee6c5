// Photographs the two directory windows and their record forms for the
// documentation. Run it under an X server:
//
//   xvfb-run -a -s "-screen 0 1000x720x24" korvane2-directory-screenshots <output folder>
//
// It lays out a database folder of its own (a few subscribers, the shipped
// country table) and writes abonents.png, abonent-edit.png, countries.png
// and country-edit.png.

#include "demo/WindowPicture.h"
#include "directories/DirectoryStatements.h"
#include "directories/TxDataM.h"
#include "directories/dialogs/AbonentEditForm.h"
#include "directories/dialogs/CodeEditForm.h"
#include "directories/dialogs/DirectoryGrid.h"
#include "directories/dialogs/TXCONTRY.h"
#include "directories/dialogs/Txabnent.h"
#include "ui/toolkit/QtMessageBox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextStream>

using namespace korvane;

namespace {

void Settle()
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 600)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
}

bool Photograph(QWidget& window, const QString& path)
{
    window.show();
    window.raise();
    window.activateWindow();
    Settle();
    return SaveWindowPicture(window, path);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        QTextStream(stderr) << "usage: korvane2-directory-screenshots <output folder>\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir folder;
    const QString db = folder.filePath(QStringLiteral("KorvaneDB"));
    QDir().mkpath(db);
    if (!QFile::copy(QStringLiteral(KORVANE_COUNTRY_TABLE), QDir(db).filePath(QStringLiteral("COUNTRY.DB"))))
        return 1;
    QFile(QDir(db).filePath(QStringLiteral("COUNTRY.DB"))).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    QtMessageBox box;
    TTxDataModule module(db, box);
    const struct {
        const char* number;
        const char* name;
        const char* answerBack;
    } subscribers[] = {
        {"+7-495-123456", "ООО РОГА И КОПЫТА, МОСКВА", "123456 ROGA RU"},
        {"812-3344556", "ПЕТРОВ И.И., САНКТ-ПЕТЕРБУРГ", "344556 PETR RU"},
        {"64477", "МОРСКОЙ ПОРТ, ПРИЁМНАЯ", "64477 PORT RU"},
        {"+49-30-998877", "HANSA HANDEL GMBH, BERLIN", "998877 HANSA D"},
        {"51234", "ДИСПЕТЧЕРСКАЯ", ""},
    };
    for (const auto& s : subscribers) {
        PrepareAbonentAdd(module.DynamicQuery, QString::fromUtf8(s.number), QString::fromUtf8(s.name),
                          QString::fromUtf8(s.answerBack));
        module.DynamicQuery.ExecSQL();
    }
    module.OpenAbonentQuery(QStringLiteral("ABONENT_ID"));

    bool ok = true;
    {
        DirectoryDialogEnvironment env;
        env.Box = &box;
        TAbonentAddressDlg abonents(module, env);
        abonents.AbonentDBGridTitleClick(2); // sorted by name: the "< " mark
        abonents.EntryEdit()->setFocus();
        ok &= Photograph(abonents, out.filePath(QStringLiteral("abonents.png")));
        TAbonentEditForm form(&abonents);
        form.SetAbonentLabels();
        form.setWindowTitle(QStringLiteral("Редактирование записи"));
        form.AbNoEdit()->setText(module.AbonentQuery.FieldAsText(u"ABONENT_No"));
        form.AbAnsBkEdit()->setText(module.AbonentQuery.FieldAsText(u"ABONENT_AnsBk"));
        form.AbNameEdit()->setText(module.AbonentQuery.FieldAsText(u"ABONENT_Name"));
        form.AbNoEdit()->setEnabled(false);
        ok &= Photograph(form, out.filePath(QStringLiteral("abonent-edit.png")));
    }
    {
        DirectoryDialogEnvironment env;
        env.Box = &box;
        TCountryDBListDlg countries(module, env);
        countries.EntryEdit()->setText(QStringLiteral("Росс"));
        ok &= Photograph(countries, out.filePath(QStringLiteral("countries.png")));
        TCodeEditForm form(box, &countries);
        form.SetCountryLabels();
        form.setWindowTitle(QStringLiteral("Добавление записи"));
        form.CodeEdit()->setText(module.CountryQuery.FieldAsText(u"COUNTRY_CODE"));
        form.LettEdit()->setText(module.CountryQuery.FieldAsText(u"COUNTRY_LETT"));
        form.NameEdit()->setText(module.CountryQuery.FieldAsText(u"COUNTRY_NAME"));
        ok &= Photograph(form, out.filePath(QStringLiteral("country-edit.png")));
    }
    return ok ? 0 : 1;
}
