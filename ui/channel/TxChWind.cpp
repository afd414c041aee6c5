// The channel window: its memo, status bar, LEDs, message timer and commands to the driver.
#include "ui/channel/TxChWind.h"

#include "engine/TxDriver.h"
#include "engine/TxScanner.h"
#include "platform/IniFile.h"
#include "protocols/DriverModes.h"
#include "support/TelegraphCode.h"
#include "platform/MessageCaptions.h"
#include "widgets/LayoutScale.h"
#include "ui/channel/ODLED.h"
#include "ui/mainwindow/StatusPanels.h"
#include "ui/channel/txInpNum.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QProgressBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace korvane {

namespace {

constexpr int MessagesInterval = 100; // ms
constexpr int LedTop = 7;

// The panels' laid-out widths. The step panel (3) has 200 rather than 150:
// the built-in protocols' step names run to 33 letters ("Ожид. приглашения
// к набору номера").
const QList<int> StatusBar1Widths = {80, 70, 150, 200, 15, 15, 60, 100};
const QList<int> StatusBar2Widths = {130, 170, 40, 40, 80, 50};

QList<int> Scaled(const LayoutScale& scale, const QList<int>& widths)
{
    QList<int> out;
    for (int w : widths)
        out << scale.X(w);
    return out;
}

const QStringList StatusBar1Hints = {
    QStringLiteral("Файл телеграммы"),
    QStringLiteral("Номер вызываемого абонента"),
    QStringLiteral("Адрес вызываемого абонента"),
    QStringLiteral("Текущий элеменит протокола"),
    QStringLiteral("Светодиод передачи"),
    QStringLiteral("Светодиод приема"),
    QStringLiteral("Продолжительность соединения"),
    QString(),
};
const QStringList StatusBar2Hints = {
    QStringLiteral("Автоответ канала"),
    QStringLiteral("Текущий телеграфный протокол"),
    QStringLiteral("Счетчик символов передачи"),
    QStringLiteral("Счетчик символов приема"),
    QStringLiteral("Файл протокола телеграммы"),
    QString(),
};

// Keys whose characters never go to the line, whatever the mode.
bool ExcludedKey(int key)
{
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Insert:
    case Qt::Key_Delete:
    case Qt::Key_Cancel:
    case Qt::Key_Clear:
    case Qt::Key_Pause:
    case Qt::Key_CapsLock:
    case Qt::Key_Escape:
    case Qt::Key_Select:
    case Qt::Key_Print:
    case Qt::Key_Execute:
    case Qt::Key_Printer:
    case Qt::Key_Help:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Meta:
    case Qt::Key_Menu:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
        return true;
    default:
        return key >= Qt::Key_F1 && key <= Qt::Key_F24;
    }
}

// A character the memo inserts (and the line counts) when it is typed.
bool InsertedChar(QChar c)
{
    return c.isPrint() || c == u'\r' || c == u'\n' || c == u'\t' || c == u'\b';
}

} // namespace

// ---- TTxMemo ----

TTxMemo::TTxMemo(TTxChannelWindow& owner, QWidget* parent)
    : QPlainTextEdit(parent)
    , owner_(owner)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::ArrowCursor);
    // A line busy for days: the text keeps its last lines, and nothing of
    // what it showed is kept for an undo.
    setMaximumBlockCount(LineLimit);
    setUndoRedoEnabled(false);
    setAcceptDrops(false);
}

void TTxMemo::keyPressEvent(QKeyEvent* event)
{
    // The paste keys run the window's paste (the telegraph code, the
    // confirmation, the key ring), and only where typing could go out.
    if (event->matches(QKeySequence::Paste)) {
        if (owner_.CanPaste())
            owner_.PasteFromClipboard();
        return;
    }
    owner_.TxWinMemoKeyDown(*event);
    const QString text = event->text();
    if (!text.isEmpty() && owner_.TxWinMemoKeyPress(text.front()))
        return;
    InsertTyped(event);
}

void TTxMemo::InsertTyped(QKeyEvent* event)
{
    const QString text = event->text();
    const bool inserts = !text.isEmpty() && InsertedChar(text.front())
                         && !(event->modifiers() & Qt::ControlModifier);
    if (inserts) {
        QTextCursor end = textCursor();
        if (end.position() < end.document()->characterCount() - 1) {
            end.movePosition(QTextCursor::End);
            setTextCursor(end);
        }
    }
    QPlainTextEdit::keyPressEvent(event);
    if (inserts)
        for (QChar c : text)
            owner_.state_.CountMemoChar(c);
}

// ---- TTxChannelWindow ----

TTxChannelWindow::TTxChannelWindow(ChannelWindowEnvironment env, QWidget* parent)
    : QWidget(parent)
    , env_(std::move(env))
    , state_(*this)
{
    if (!env_.ChannelBox) {
        ownChannelBox_ = std::make_unique<QtMessageBox>(
            this, QtMessageBox::SelfClosing{[] { return GlobalModes.MsgDelay; },
                                            [this] {
                                                if (env_.SoundOff)
                                                    env_.SoundOff();
                                            },
                                            {}});
    }
    setWindowTitle(QStringLiteral("Контроль - канал "));
    QFont f(QStringLiteral("Courier New"));
    f.setPixelSize(12);
    setFont(f);

    memo_ = new TTxMemo(*this);
    memo_->setContextMenuPolicy(Qt::CustomContextMenu);
    // The bars show their panels in the program's normal proportional font,
    // not the text area's typewriter face; their widths grow with it.
    const QFont barFont = QApplication::font();
    const LayoutScale scale(barFont);
    const QList<int> bar1Widths = Scaled(scale, StatusBar1Widths);
    statusBar2_ = new StatusPanels(Scaled(scale, StatusBar2Widths));
    statusBar2_->SetPanelHints(StatusBar2Hints);
    statusBar1_ = new StatusPanels(bar1Widths);
    statusBar1_->SetPanelHints(StatusBar1Hints);
    statusBar1_->SetPanelAlignment(1, Qt::AlignHCenter);
    statusBar1_->setFont(barFont);
    statusBar2_->setFont(barFont);
    setMinimumSize(scale.Size(450, 100));
    // Wide enough for every panel of the first bar.
    int bar1Width = 0;
    for (int w : bar1Widths)
        bar1Width += w;
    resize(std::max(scale.X(611), bar1Width), scale.Y(330));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(memo_, 1);
    layout->addWidget(statusBar2_);
    layout->addWidget(statusBar1_);

    const int ledLeft = bar1Widths[0] + bar1Widths[1] + bar1Widths[2] + bar1Widths[3] + scale.X(5);
    txLed_ = new TODLedLittle(statusBar1_);
    rxLed_ = new TODLedLittle(statusBar1_);
    txLed_->move(ledLeft, scale.Y(LedTop));
    rxLed_->move(ledLeft + bar1Widths[4], scale.Y(LedTop));
    for (TODLedLittle* led : {txLed_, rxLed_}) {
        led->SetLedColorOff(lcDarkRed);
        led->SetLedColorOn(lcRed);
    }

    progressBar_ = new QProgressBar(statusBar1_);
    progressBar_->setTextVisible(false);
    progressBar_->hide();
    connect(statusBar1_, &StatusPanels::Resized, this, &TTxChannelWindow::StatusBar1Resize);
    StatusBar1Resize();

    BuildMenus();
    BuildPopupMenu();
    connect(memo_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popup_->exec(memo_->mapToGlobal(at)); });
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popup_->exec(mapToGlobal(at)); });

    messagesTimer_ = new QTimer(this);
    messagesTimer_->setInterval(MessagesInterval);
    connect(messagesTimer_, &QTimer::timeout, this, &TTxChannelWindow::MessagesTimerTimer);
    messagesTimer_->start();

    setFocusProxy(memo_);
    memo_->setFocus();
}

TTxChannelWindow::~TTxChannelWindow()
{
    // The driver must not call into the window while it goes.
    DetachDriver();
}

void TTxChannelWindow::BuildMenus()
{
    const ChannelWindowActions& a = env_.Actions;
    mnTeletype_ = new QMenu(QStringLiteral("&Телетайп"), this);
    for (QAction* action : {a.CallAction1, a.DisconAction1, a.AnswerAction1, a.AskAction1, a.ManualAction})
        if (action)
            mnTeletype_->addAction(action);
    mnTelegram_ = new QMenu(QStringLiteral("Телеграмма"), this);
    for (QAction* action : {a.CreateTlgAction, a.TrsmTlgAction, a.RecTlgAction, a.TrmJrnAction, a.RecJrnAction})
        if (action)
            mnTelegram_->addAction(action);
}

void TTxChannelWindow::BuildPopupMenu()
{
    popup_ = new QMenu(this);
    popup_->addSeparator();
    popupStatus_ = popup_->addAction(QStringLiteral("Скрыть строку состояния"));
    connect(popupStatus_, &QAction::triggered, this, &TTxChannelWindow::popupStatusClick);
    popup_->addSeparator();
    QMenu* teletype = popup_->addMenu(mnTeletype_->title());
    teletype->addActions(mnTeletype_->actions());
    popup_->addSeparator();
    QMenu* telegram = popup_->addMenu(mnTelegram_->title());
    telegram->addActions(mnTelegram_->actions());
}

void TTxChannelWindow::popupStatusClick()
{
    statusBar1_->setHidden(!statusBar1_->isHidden());
    statusBar2_->setHidden(!statusBar2_->isHidden());
    popupStatus_->setText(statusBar1_->isHidden() ? QStringLiteral("Показать панель состояния")
                                                  : QStringLiteral("Скрыть панель состояния"));
}

void TTxChannelWindow::StatusBar1Resize()
{
    const int last = statusBar1_->PanelCount() - 1;
    const QRect first = statusBar1_->PanelRect(0);
    int left = first.left();
    for (int i = 0; i < last; ++i)
        left += statusBar1_->PanelWidth(i);
    progressBar_->setGeometry(left, first.top() + 1, statusBar1_->PanelWidth(last) - 2,
                              first.height() - 2);
}

void TTxChannelWindow::SetChannel(int channel)
{
    state_.SetChannel(static_cast<std::uint8_t>(channel));
}

TTxChannelDriver* TTxChannelWindow::Driver() const
{
    const int channel = Channel();
    if (env_.DriverOf)
        return env_.DriverOf(channel);
    return Scanner ? Scanner->Driver(channel) : nullptr;
}

void TTxChannelWindow::AttachDriver()
{
    if (TTxChannelDriver* driver = Driver())
        driver->SetWindow(&state_);
    state_.ResetAlarm();
}

void TTxChannelWindow::DetachDriver()
{
    TTxChannelDriver* driver = Driver();
    if (driver && driver->Window == &state_)
        driver->SetWindow(nullptr);
}

template <class F>
void TTxChannelWindow::InBoxContext(F&& work)
{
    ++boxContext_;
    std::forward<F>(work)();
    --boxContext_;
}

void TTxChannelWindow::CallCommand()
{
    InBoxContext([this] { state_.CallCommand(); });
}

void TTxChannelWindow::AskAnswerBackCommand()
{
    state_.AskAnswerBackCommand();
}

void TTxChannelWindow::AnswerBackCommand()
{
    state_.AnswerBackCommand();
}

void TTxChannelWindow::DisconnectCommand()
{
    state_.DisconnectCommand();
}

void TTxChannelWindow::ControlModeCommand()
{
    state_.ControlModeCommand();
}

void TTxChannelWindow::RestartCommand()
{
    state_.RestartCommand();
}

void TTxChannelWindow::DialNumber()
{
    // The pad's own event loop may run engine work: boxes asked for meanwhile wait.
    const int saved = std::exchange(boxContext_, 0);
    if (env_.DialNumber) {
        env_.DialNumber(state_);
    } else {
        IniFile ini(env_.IniFileName);
        TPasswordDlg::DialNumber(state_, ini, this);
    }
    boxContext_ = saved;
}

// ---- Keys ----

void TTxChannelWindow::TxWinMemoKeyDown(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers held = event.modifiers();
    const bool modifier = held & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    // The numeric keypad's digits and operators are not plain keys; its Enter is.
    const bool keypad = (held & Qt::KeypadModifier) && event.key() != Qt::Key_Enter;
    plainKeyDown_ = !modifier && !keypad && !ExcludedKey(event.key());
}

bool TTxChannelWindow::TxWinMemoKeyPress(QChar key)
{
    if (!plainKeyDown_)
        return false;
    plainKeyDown_ = false;
    if (state_.CanType()) {
        // A full ring refuses the key rather than overwrite a waiting one,
        // and the refusal is heard: the operator types it again.
        if (!state_.TypeKey(key) && env_.PlayChime)
            env_.PlayChime();
        return true;
    }
    if (env_.PlayChime)
        env_.PlayChime();
    const QString message =
        state_.DialogMode()
            ? QStringLiteral("Соединение не установлено. Передача невозможна!")
            : QStringLiteral("В режиме \"Контроль\" передача невозможна!\rНеобходимо перейти в режим "
                             "\"Диалог\", выбрав команду \"Вызов\" (F9)");
    InBoxContext([&] {
        ShowChannelMessage(state_.Caption() + u'\r' + message, MessageIcon::Information,
                           MessageButtons::Ok);
    });
    return true;
}

void TTxChannelWindow::BellKey()
{
    plainKeyDown_ = true;
    TxWinMemoKeyPress(QChar(u'\\'));
}

// ---- Clipboard ----

void TTxChannelWindow::PasteFromClipboard()
{
    QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty() || !state_.PasteText().isEmpty())
        return;
    text.truncate(PasteLimit);

    QByteArray codes;
    TelegraphRegister reg = NoRegister;
    EncodeTelegraph(text, codes, reg);
    QString converted;
    DecodeTelegraph(codes, converted, reg, (GlobalModes.ModeDriver & DriverMode::ShowShiftMarks) != 0);

    if (ShowMessage(*env_.Box,
                    QStringLiteral("Вы уверены, что хотите передать следующий текст:\r") + converted,
                    MessageIcon::Question, MessageButtons::YesNo)
        != MessageResult::Yes)
        return;
    state_.StartPaste(converted);
    emit LineActionsChanged();
}

void TTxChannelWindow::CopyToClipboard()
{
    memo_->copy();
}

// ---- The timer ----

void TTxChannelWindow::MessagesTimerTimer()
{
    InBoxContext([this] {
        if (deferredBusy_) {
            // A box of an earlier tick is open: its later steps go on.
            state_.MessagesTimerTimer();
            return;
        }
        deferredBusy_ = true;
        ShowDeferredBoxes();
        state_.MessagesTimerTimer();
        deferredBusy_ = false;
    });
}

void TTxChannelWindow::ShowDeferredBoxes()
{
    while (!deferredBoxes_.empty()) {
        const DeferredBox box = deferredBoxes_.front();
        deferredBoxes_.pop_front();
        ShowChannelMessage(box.text, box.icon, MessageButtons::Ok);
    }
}

void TTxChannelWindow::closeEvent(QCloseEvent* event)
{
    DetachDriver();
    emit WindowClosing(this);
    event->accept();
}

// ---- ChannelWindowView ----

void TTxChannelWindow::ShowCaption(const QString& caption)
{
    setWindowTitle(caption);
}

void TTxChannelWindow::SetStatusText(ChannelStatusBar bar, int panel, const QString& text)
{
    (bar == ChannelStatusBar::First ? statusBar1_ : statusBar2_)->SetPanelText(panel, text);
}

void TTxChannelWindow::InsertMemoChar(QChar c)
{
    if (!c.isPrint() && c != u'\r' && c != u'\t')
        return;
    QTextCursor end = memo_->textCursor();
    end.movePosition(QTextCursor::End);
    if (c == u'\r')
        end.insertBlock();
    else
        end.insertText(QString(c));
    memo_->setTextCursor(end);
    memo_->ensureCursorVisible();
}

void TTxChannelWindow::AppendMemoLine(const QString& line)
{
    QTextCursor end = memo_->textCursor();
    end.movePosition(QTextCursor::End);
    if (!end.block().text().isEmpty())
        end.insertBlock();
    end.insertText(line);
    end.insertBlock();
    memo_->setTextCursor(end);
    memo_->ensureCursorVisible();
}

void TTxChannelWindow::ClearMemo()
{
    memo_->clear();
}

void TTxChannelWindow::SetMemoAlarmColor(bool alarm)
{
    QPalette p = memo_->palette();
    p.setColor(QPalette::Base, alarm ? QColor(Qt::red) : palette().color(QPalette::Base));
    memo_->setPalette(p);
}

void TTxChannelWindow::SetMemoTextCursor(bool iBeam)
{
    memo_->viewport()->setCursor(iBeam ? Qt::IBeamCursor : Qt::ArrowCursor);
}

void TTxChannelWindow::SetLedLight(ChannelLed led, bool light)
{
    (led == ChannelLed::Tx ? txLed_ : rxLed_)->SetLight(light);
}

void TTxChannelWindow::SetLedAutoBlink(ChannelLed led, bool autoBlink)
{
    (led == ChannelLed::Tx ? txLed_ : rxLed_)->SetAutoBlink(autoBlink);
}

void TTxChannelWindow::ShowProgress(int maximum)
{
    progressBar_->setMaximum(maximum);
    progressBar_->setValue(0);
    progressBar_->show();
}

void TTxChannelWindow::SetProgressPosition(int position)
{
    progressBar_->setValue(position);
}

void TTxChannelWindow::HideProgress()
{
    progressBar_->hide();
    emit LineActionsChanged();
}

MessageResult TTxChannelWindow::ShowChannelMessage(const QString& text, MessageIcon icon,
                                                   MessageButtons buttons)
{
    if (ShuttingDown())
        return MessageResult::Cancel;
    if (boxContext_ == 0) {
        // Asked for from inside a call into the engine: shown by the next tick.
        deferredBoxes_.push_back({text, icon});
        return MessageResult::Cancel;
    }
    MessageBox& box = env_.ChannelBox ? *env_.ChannelBox : *ownChannelBox_;
    const int saved = std::exchange(boxContext_, 0);
    const MessageResult result = box.show(text, MessageCaption(icon), icon, buttons);
    boxContext_ = saved;
    if (env_.SoundOff)
        env_.SoundOff();
    return result;
}

void TTxChannelWindow::ActionsChanged()
{
    emit LineActionsChanged();
}

bool TTxChannelWindow::ShuttingDown() const
{
    return env_.Closing && env_.Closing->load();
}

} // namespace korvane
