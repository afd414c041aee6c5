// Writes the country table COUNTRY.DB that the program folder ships: every
// country of ISO 3166-1 (iso-codes) with its Russian name (iso-codes'
// Russian translation), its international dial code (libphonenumber) and
// its two-letter code. Countries are numbered in the order of their
// Russian names. A territory without a dial code of its own is left out.
// Every name comes from the translation except the few in
// RussianNameFallback.
//
//     country_table_generator <iso_3166-1.json> <iso_3166-1.mo (ru)> <COUNTRY.DB>

#include "MoCatalog.h"

#include "directories/DirectoryTables.h"
#include "directories/SqliteTableFile.h"

#include <QCollator>
#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTextStream>

#include <phonenumbers/phonenumberutil.h>

#include <algorithm>

namespace {

// Countries whose current English name the installed translation does not
// know yet (iso-codes renamed Turkey to Türkiye after its Russian
// catalogue was made): the Russian name they are known by.
const QHash<QString, QString> RussianNameFallback = {
    {QStringLiteral("TR"), QStringLiteral("Турция")},
};

struct Country {
    QString Name;
    QString Code;
    QString Letters;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        err << "usage: country_table_generator <iso_3166-1.json> <iso_3166-1.mo> <COUNTRY.DB>\n";
        return 2;
    }

    QFile json(args[1]);
    if (!json.open(QIODevice::ReadOnly)) {
        err << args[1] << ": " << json.errorString() << '\n';
        return 1;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json.readAll(), &parseError);
    const QJsonArray entries = doc.object().value(QStringLiteral("3166-1")).toArray();
    if (doc.isNull() || entries.isEmpty()) {
        err << args[1] << ": no ISO 3166-1 list (" << parseError.errorString() << ")\n";
        return 1;
    }
    korvane::tools::MoCatalog russian;
    QString error;
    if (!russian.Load(args[2], error)) {
        err << args[2] << ": " << error << '\n';
        return 1;
    }

    const i18n::phonenumbers::PhoneNumberUtil& phone = *i18n::phonenumbers::PhoneNumberUtil::GetInstance();
    QList<Country> countries;
    QStringList withoutCode;
    QStringList untranslated;
    for (const QJsonValue& value : entries) {
        const QJsonObject entry = value.toObject();
        const QString alpha2 = entry.value(QStringLiteral("alpha_2")).toString();
        // The short common name where iso-codes gives one and it is
        // translated ("Россия"), else the name.
        QString name;
        const QString common = entry.value(QStringLiteral("common_name")).toString();
        if (!common.isEmpty())
            name = russian.Translate(common);
        if (name.isEmpty())
            name = russian.Translate(entry.value(QStringLiteral("name")).toString());
        if (name.isEmpty())
            name = RussianNameFallback.value(alpha2);
        if (name.isEmpty()) {
            name = entry.value(QStringLiteral("name")).toString();
            untranslated << alpha2;
        }
        const int dial = phone.GetCountryCodeForRegion(alpha2.toStdString());
        if (dial <= 0) {
            withoutCode << alpha2;
            continue;
        }
        countries.append({name, QString::number(dial), alpha2});
    }

    QCollator collator{QLocale(QLocale::Russian, QLocale::Russia)};
    std::stable_sort(countries.begin(), countries.end(), [&](const Country& a, const Country& b) {
        const int c = collator.compare(a.Name, b.Name);
        return c != 0 ? c < 0 : a.Letters < b.Letters;
    });

    QList<QVariantList> rows;
    int id = 0;
    for (const Country& c : countries)
        rows.append({++id, c.Name, c.Code, c.Letters});
    if (!korvane::WriteTableFile(args[3], QStringLiteral("country.db"), korvane::CountryTableColumns(), rows, error)) {
        err << args[3] << ": " << error << '\n';
        return 1;
    }
    out << args[3] << ": " << rows.size() << " countries";
    if (!withoutCode.isEmpty())
        out << "; without a dial code, left out: " << withoutCode.join(u' ');
    if (!untranslated.isEmpty())
        out << "; without a Russian name: " << untranslated.join(u' ');
    out << '\n';
    return 0;
}
