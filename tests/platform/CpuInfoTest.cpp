#include "platform/CpuInfo.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace korvane;

namespace {

TEST(CpuInfo, ModelNameIsTheFirstModelNameLineTrimmed)
{
    const std::pair<QByteArray, QString> cases[] = {
        {"processor\t: 0\nvendor_id\t: GenuineIntel\nmodel name\t:  Intel(R) Core(TM) i7 CPU  @ 2.93GHz  \n"
         "processor\t: 1\nmodel name\t: second\n",
         "Intel(R) Core(TM) i7 CPU  @ 2.93GHz"},
        {"model name: AMD Ryzen 5: six cores\n", "AMD Ryzen 5: six cores"},
        {"processor\t: 0\nmodel name\t:\n", ""},
        {"processor\t: 0\nBogoMIPS\t: 48.00\nmodel\t: 1\n", ""},
        {"model names\t: no\n", ""},
        {"", ""},
    };
    for (const auto& [text, name] : cases)
        EXPECT_EQ(cpuModelNameFrom(text), name) << text.toStdString();
}

TEST(CpuInfo, ReadsTheRunningMachinesDescription)
{
    // /proc/cpuinfo of this machine, where it has a model name line.
    QFile file("/proc/cpuinfo");
    if (!file.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "no /proc/cpuinfo";
    EXPECT_EQ(cpuModelName(), cpuModelNameFrom(file.readAll()));
}

} // namespace
