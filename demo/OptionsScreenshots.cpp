// Photographs the channel options dialog, page by page, for the
// documentation. Run it under an X server:
//
//   xvfb-run -a -s "-screen 0 1000x720x24" korvane2-options-screenshots <output folder>
//
// It writes options-main.png, options-modes.png, options-elements.png,
// options-paths.png and options-sound.png for channel 1 of the built-in set
// with the adapter "TARVELOX-01" chosen.

#include "demo/WindowPicture.h"
#include "platform/Clock.h"
#include "protocols/DefaultProtocols.h"
#include "protocols/DriverModes.h"
#include "support/Tunes.h"
#include "ui/settings/ProtocolEditorPage.h"
#include "ui/toolkit/QtMessageBox.h"
#include "ui/settings/SoundEventsPage.h"
#include "ui/program/ToolkitTranslations.h"
#include "ui/settings/TxOption.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QTabWidget>
#include <QTextStream>
#include <QTranslator>
#include <QTreeWidget>

using namespace korvane;

namespace {

bool Photograph(QWidget& window, const QString& path)
{
    DelayWithMessages(systemClock(), 400);
    return SaveWindowPicture(window, path);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTranslator toolkitTexts; // the standard buttons in Russian, as the program shows them
    InstallToolkitTranslations(toolkitTexts);
    if (argc < 2) {
        QTextStream(stderr) << "usage: korvane2-options-screenshots <output folder>\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QtMessageBox box;
    int err = 0;
    std::unique_ptr<TProtocolSet> set = BuildDefaultProtocolSet(err, box);
    if (!set)
        return 1;
    TDriverModes modes{};
    modes.SoundCardMode = 1;
    ApplyDriverModes(modes);
    set->Channels[0].AdapterType = 3;
    set->Channels[0].Modes = 0x0A01u;
    set->Channels[0].CtxModes = 0x3u;

    TMultPageDlg dialog(ChannelOptionsEnvironment{&box, nullptr, nullptr, nullptr, nullptr,
                                                  QDir::currentPath() + u'/'});
    dialog.FChannel = 1;
    dialog.FSet = set.get();
    dialog.LoadChannelOptions();
    dialog.setWindowTitle(dialog.windowTitle() + QStringLiteral(" 1"));
    dialog.move(20, 20);
    dialog.show();

    bool ok = true;
    const std::array<const char*, 5> names = {"options-main.png", "options-modes.png", "options-elements.png",
                                              "options-paths.png", "options-sound.png"};
    for (int page = 0; page < 5; ++page) {
        dialog.OptionsPageControl()->setCurrentIndex(page);
        if (page == TMultPageDlg::ElementsPage) {
            // A step with a numeric parameter.
            QListWidget* steps = dialog.ElementsEditor()->ElementListBox();
            for (int i = 0; i < steps->count(); ++i)
                if (steps->item(i)->text().startsWith(QStringLiteral("Пауза"))) {
                    steps->setCurrentRow(i);
                    break;
                }
        }
        if (page == TMultPageDlg::SoundPage) {
            QTreeWidgetItem* root = dialog.SoundEvents()->SoundTreeView()->topLevelItem(0);
            dialog.SoundEvents()->SoundTreeView()->setCurrentItem(root->child(3));
        }
        ok = Photograph(dialog, out.filePath(QString::fromLatin1(names[std::size_t(page)]))) && ok;
    }
    return ok ? 0 : 1;
}
