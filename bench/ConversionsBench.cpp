// Costs of the conversions on the engine's hot paths: the telegraph code one
// character at a time as a line sends and receives, a clipboard-sized text,
// and the code-page conversions of a telegram line and a file body.
#include "platform/CodePages.h"
#include "support/OemText.h"
#include "support/TelegraphCode.h"

#include <benchmark/benchmark.h>

using namespace korvane;

namespace {

QString telegramText(qsizetype size)
{
    const QString sample = QStringLiteral("ЗК 1234 MOSKVA TLX 56 СРОЧНО ПРИБЫТИЕ 12.05 В 14:30 ЁЖ @ <<_");
    QString text;
    text.reserve(size);
    while (text.size() < size)
        text += sample;
    text.truncate(size);
    return text;
}

void EncodeOneCharacterAtATime(benchmark::State& state)
{
    const QString text = telegramText(1000);
    QByteArray codes;
    TelegraphRegister reg = NoRegister;
    qsizetype i = 0;
    for (auto _ : state) {
        const QChar c = text[i];
        EncodeTelegraph(QStringView(&c, 1), codes, reg);
        benchmark::DoNotOptimize(codes.constData());
        i = (i + 1) % text.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(EncodeOneCharacterAtATime);

void DecodeOneCodeAtATime(benchmark::State& state)
{
    QByteArray all;
    TelegraphRegister encReg = NoRegister;
    EncodeTelegraph(telegramText(1000), all, encReg);
    QString text;
    TelegraphRegister reg = NoRegister;
    qsizetype i = 0;
    for (auto _ : state) {
        DecodeTelegraph(QByteArrayView(all.constData() + i, 1), text, reg, true);
        benchmark::DoNotOptimize(text.constData());
        i = (i + 1) % all.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(DecodeOneCodeAtATime);

void EncodeText1000(benchmark::State& state)
{
    const QString text = telegramText(1000);
    QByteArray codes;
    for (auto _ : state) {
        TelegraphRegister reg = NoRegister;
        EncodeTelegraph(text, codes, reg);
        benchmark::DoNotOptimize(codes.constData());
    }
    state.SetItemsProcessed(state.iterations() * text.size());
}
BENCHMARK(EncodeText1000);

void DecodeText1000(benchmark::State& state)
{
    QByteArray codes;
    TelegraphRegister encReg = NoRegister;
    EncodeTelegraph(telegramText(1000), codes, encReg);
    QString text;
    for (auto _ : state) {
        TelegraphRegister reg = NoRegister;
        DecodeTelegraph(codes, text, reg, true);
        benchmark::DoNotOptimize(text.constData());
    }
    state.SetItemsProcessed(state.iterations() * codes.size());
}
BENCHMARK(DecodeText1000);

void AnsiToOemBytes(benchmark::State& state)
{
    const QByteArray ansi = codepage::toCp1251(telegramText(state.range(0)));
    for (auto _ : state) {
        QByteArray s = ansi;
        AnsiToOemShort(s);
        benchmark::DoNotOptimize(s.constData());
    }
    state.SetBytesProcessed(state.iterations() * ansi.size());
}
BENCHMARK(AnsiToOemBytes)->Arg(300)->Arg(64 * 1024);

void OemToAnsiBytes(benchmark::State& state)
{
    const QByteArray oem = codepage::toCp866(telegramText(state.range(0)));
    for (auto _ : state) {
        QByteArray s = oem;
        OemToAnsiStr(s);
        benchmark::DoNotOptimize(s.constData());
    }
    state.SetBytesProcessed(state.iterations() * oem.size());
}
BENCHMARK(OemToAnsiBytes)->Arg(300)->Arg(64 * 1024);

void OemToText(benchmark::State& state)
{
    const QByteArray oem = codepage::toCp866(telegramText(state.range(0)));
    for (auto _ : state) {
        const QString s = OemToAnsi(oem);
        benchmark::DoNotOptimize(s.constData());
    }
    state.SetBytesProcessed(state.iterations() * oem.size());
}
BENCHMARK(OemToText)->Arg(300)->Arg(64 * 1024);

} // namespace
