#include <QCoreApplication>
#include <QTextStream>

// The program entry. The operator's windows are not part of this build yet:
// the program says so and exits.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream(stdout) << QString::fromUtf8(
        "Korvane 2: главного окна в этой сборке ещё нет; собраны библиотеки и тесты.\n");
    return 0;
}
