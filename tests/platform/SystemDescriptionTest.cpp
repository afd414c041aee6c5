#include "platform/SystemDescription.h"

#include <gtest/gtest.h>

using namespace korvane;

namespace {

TEST(SystemDescription, PrettyNameIsUnquotedFromOsRelease)
{
    const std::pair<QByteArray, QString> cases[] = {
        {"NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n",
         "Debian GNU/Linux 12 (bookworm)"},
        {"PRETTY_NAME='Single $quoted'\n", "Single $quoted"},
        {"PRETTY_NAME=Plain\n", "Plain"},
        {"PRETTY_NAME=\"Say \\\"hi\\\" \\\\ \\$HOME\"\n", "Say \"hi\" \\ $HOME"},
        {"# PRETTY_NAME=\"commented\"\nID=x\n", ""},
        {"NAME=\"no pretty\"\n", ""},
        {"PRETTY_NAME=\"Ubuntu 24.04 LTS\"\r\n", "Ubuntu 24.04 LTS"},
        {"PRETTY_NAME=\"Мой дистрибутив\"\n", "Мой дистрибутив"},
    };
    for (const auto& [text, name] : cases)
        EXPECT_EQ(osPrettyNameFrom(text), name) << text.toStdString();
}

TEST(SystemDescription, JoinsDistributionAndKernel)
{
    const KernelIdentity kernel {"Linux", "6.1.0-18-amd64", "x86_64"};
    EXPECT_EQ(systemDescriptionText("Debian GNU/Linux 12 (bookworm)", kernel),
              "Debian GNU/Linux 12 (bookworm), Linux 6.1.0-18-amd64 x86_64");
    EXPECT_EQ(systemDescriptionText("", kernel), "Linux 6.1.0-18-amd64 x86_64");
    EXPECT_EQ(systemDescriptionText("Debian", {}), "Debian");
    EXPECT_EQ(systemDescriptionText("Debian", {"Linux", "", "aarch64"}), "Debian, Linux aarch64");
    EXPECT_EQ(systemDescriptionText("", {}), "");
}

TEST(SystemDescription, DescribesTheRunningKernel)
{
    const KernelIdentity kernel = kernelIdentity();
    EXPECT_EQ(kernel.sysname, "Linux");
    EXPECT_FALSE(kernel.release.isEmpty());
    EXPECT_TRUE(systemDescription().contains(kernel.sysname + ' ' + kernel.release));
}

} // namespace
