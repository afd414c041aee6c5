#include <QApplication>
#include <gtest/gtest.h>

// Widget tests and whole-program runs: a QApplication on Qt's offscreen
// platform unless QT_QPA_PLATFORM names another.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
