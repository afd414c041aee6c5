// The main window's actions: caption, shortcut, hint and picture of each.
#include "ui/mainwindow/MainActions.h"

#include <QAction>
#include <QKeySequence>

namespace korvane {

namespace {

// Caption, tool tip and status bar text; an empty status text repeats the
// tool tip, an empty tool tip leaves the action without a hint.
QAction* make(QObject* owner, const QString& caption, const QString& tip = {}, const QString& status = {},
              const QKeySequence& shortcut = {})
{
    auto* a = new QAction(caption, owner);
    a->setToolTip(tip.isEmpty() ? QString() : tip);
    a->setStatusTip(status.isEmpty() ? tip : status);
    a->setShortcut(shortcut);
    return a;
}

} // namespace

TMainActions TMainActions::Create(QObject* owner)
{
    TMainActions a;
    a.EditCopy1 = make(owner, QStringLiteral("&Скопировать"), QStringLiteral("Копировать"),
                       QStringLiteral("Копировать в буфер обмена выделенный фрагмент"), QKeySequence(Qt::CTRL | Qt::Key_C));
    a.EditCut1 = make(owner, QStringLiteral("Вырезать"), QStringLiteral("Вырезать"),
                      QStringLiteral("Вырезать в буфер обмена выделенный фрагмент"), QKeySequence(Qt::CTRL | Qt::Key_X));
    a.EditDelete1 = make(owner, QStringLiteral("Удалить"), QStringLiteral("Удалить"),
                         QStringLiteral("Удалить выделенный фрагмент"), QKeySequence(Qt::Key_Delete));
    a.EditPaste1 = make(owner, QStringLiteral("Вклеить"), QStringLiteral("Вставить"),
                        QStringLiteral("Вставить из буфера обмена выделенный фрагмент"), QKeySequence(Qt::CTRL | Qt::Key_V));
    a.EditUndo1 = make(owner, QStringLiteral("&Откат"), QStringLiteral("Откат"),
                       QStringLiteral("Отменить последнюю операцию"), QKeySequence(Qt::ALT | Qt::Key_Backspace));

    a.CallAction1 = make(owner, QStringLiteral("Вызов"), QStringLiteral("Вызов"), QStringLiteral("Установить соединение"),
                         QKeySequence(Qt::Key_F9));
    a.AskAction1 = make(owner, QStringLiteral("Запрос автоответа"), QStringLiteral("Запрос автответа"),
                        QStringLiteral("Передать запрос автоответа (комбинация \"КТО ТАМ\")"),
                        QKeySequence(Qt::CTRL | Qt::Key_F9));
    a.AnswerAction1 = make(owner, QStringLiteral("Автоответ"), QStringLiteral("Автоответ"),
                           QStringLiteral("Передать в линию свой автоответ"), QKeySequence(Qt::ALT | Qt::Key_F9));
    a.DisconAction1 = make(owner, QStringLiteral("Отбой"), QStringLiteral("Отбой"),
                           QStringLiteral("Разорвать текущее соединение"), QKeySequence(Qt::CTRL | Qt::Key_F10));
    a.BellAction1 = make(owner, QStringLiteral("Звонок"), QStringLiteral("Звонок"), QStringLiteral("Звонок оператору"));
    a.ManualAction = make(owner, QStringLiteral("Переключить в контроль"), QStringLiteral("Переключить в контроль"));
    a.RestartProtocolAction = make(owner, QStringLiteral("Инициализация"), QStringLiteral("Инициализация"),
                                   QStringLiteral("Перезапустить обработку протокола при аварии"));

    a.WindowCascade1 = make(owner, QStringLiteral("Каскад"), QStringLiteral("Каскад"),
                            QStringLiteral("Расположить окна каскадом"));
    a.WindowTileHorizontal1 = make(owner, QStringLiteral("Мозаика &Горизонтально"),
                                   QStringLiteral("Мозаика горизонтальная"), QStringLiteral("Расположить окна мозаикой"));
    a.WindowTileVertical1 = make(owner, QStringLiteral("&Мозаика Вертикально"), QStringLiteral("Мозаика вертикальная"),
                                 QStringLiteral("Расположить окна мозаикой"));
    a.WindowMinimizeAll1 = make(owner, QStringLiteral("Уменьшить все"));

    a.ViewFilesAction = make(owner, QStringLiteral("Просмотр файлов"),
                             QStringLiteral("Просмотр файлов протоколов, журналов"));
    a.AbonentsAction = make(owner, QStringLiteral("&База данных абонентов"),
                            QStringLiteral("Просмотр и редактирование базы данных абонентов"));
    a.ViewCountriesAction = make(owner, QStringLiteral("&Таблица кодов стран"),
                                 QStringLiteral("Просмотр списка кодов стран"));
    a.CreateTlgAction = make(owner, QStringLiteral("&Создание телеграммы"), QStringLiteral("Создание телеграммы"),
                             QStringLiteral("Открыть окно создания новой телеграммы"));
    a.TrsmTlgAction = make(owner, QStringLiteral("&Передача телеграмм"), QStringLiteral("Просмотр переданных телеграмм"));
    a.RecTlgAction = make(owner, QStringLiteral("Принятые телеграммы"), QStringLiteral("Просмотр принятых телеграмм"));
    a.TrmJrnAction = make(owner, QStringLiteral("Журнал передачи"), QStringLiteral("Журнал передачи"),
                          QStringLiteral("Открыть окно просмотра журнала передачи"));
    a.RecJrnAction = make(owner, QStringLiteral("Журнал приема"), QStringLiteral("Журнал приема"),
                          QStringLiteral("Открыть окно просмотра журнала приема"));
    a.ShowBadNumbersAction = make(owner, QStringLiteral("Неэффективные вызовы"),
                                  QStringLiteral("Просмотр таблицы неэффективных вызовов"));

    a.SendEditAction = make(owner, QStringLiteral("Отправить"),
                            QStringLiteral("Поместить файл в папку передачи (создать телеграмму для отправки)"));
    a.PrintAction = make(owner, QStringLiteral("Печатать..."), QStringLiteral("Windows печать"));
    a.DOSPrintAction = make(owner, QStringLiteral("DOS Печать"),
                            QStringLiteral("Быстрая печать на матричном принтере в ОЕМ кодировке"));

    a.AboutAction1 = make(owner, QStringLiteral("О программе..."));
    a.SoundOffAction = make(owner, QStringLiteral("Выключить звук"), QStringLiteral("Выключить звук"));
    a.AnswerBackAction1 = make(owner, QStringLiteral("Изменение автоответов"));
    a.ExitAction = make(owner, QStringLiteral("Выход"), QStringLiteral("Выход"), QStringLiteral("Завершить работу программы"));
    return a;
}

} // namespace korvane
