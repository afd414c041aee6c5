#pragma once

// A channel options dialog on the test set, with every box, port and file
// chooser faked.

#include "ui/settings/TxOption.h"

#include "protocols/DriverModes.h"

#include "tests/fakes/FakeMessageBox.h"
#include "tests/fakes/FakeWavePlayer.h"
#include "tests/ui/FakeAdapterPresence.h"
#include "tests/ui/FakeFileChooser.h"
#include "tests/ui/ProtocolSetFixture.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace korvane::test {

class ChannelOptionsFixture : public ::testing::Test {
protected:
    static constexpr int Channel = 2;

    ChannelOptionsFixture()
    {
        savedModes_ = GlobalModes;
        GlobalModes.SoundCardMode = 1;
        appDir = dir.path() + QLatin1Char('/');
        set = TestSet();
    }
    ~ChannelOptionsFixture() override { GlobalModes = savedModes_; }

    TChannelOptions& Record() { return set->Channels[Channel - 1]; }

    // A new dialog on the set, loaded.
    TMultPageDlg& Open()
    {
        dialog = std::make_unique<TMultPageDlg>(
            ChannelOptionsEnvironment{&box, &adapter, &files, &waves, nullptr, appDir});
        dialog->FChannel = Channel;
        dialog->FSet = set.get();
        dialog->LoadChannelOptions();
        return *dialog;
    }

    TDriverModes savedModes_;
    QTemporaryDir dir;
    QString appDir;
    std::unique_ptr<TProtocolSet> set;
    FakeMessageBox box;
    FakeAdapterPresence adapter;
    FakeFileChooser files;
    FakeWavePlayer waves;
    std::unique_ptr<TMultPageDlg> dialog;
};

} // namespace korvane::test
