#include "engine/ChannelWindowState.h"

#include "platform/LocaleTime.h"
#include "support/TelegraphCode.h"

#include <array>
#include <utility>

namespace korvane {

namespace {

const QString AlarmMark = QStringLiteral(" АВАРИЯ!");

constexpr QChar CarriageReturn = u'\r';
constexpr QChar LineFeed = u'\n';

QString AlarmText(std::uint8_t state)
{
    switch (state) {
    case ChannelStates::AlarmNoClearConfirm:
        return QStringLiteral("Нет подтверждения отбоя");
    case ChannelStates::AlarmLineCurrent:
        return QStringLiteral("Линейный ток за допустимыми пределами");
    case ChannelStates::AlarmFileError:
        return QStringLiteral("Ошибка в файловой операции");
    case ChannelStates::AlarmProtocolStopped:
        return QStringLiteral("Ошибка в протоколе, канал остановлен");
    default:
        return {};
    }
}

const std::array<QString, 9>& LineStateNames()
{
    static const std::array<QString, 9> names = {
        QStringLiteral("ОЖИДАНИЕ"),
        QStringLiteral("ПРИЕМ"),
        QStringLiteral("РАССОЕДИНЕНИЕ"),
        QStringLiteral("ПАУЗА"),
        QStringLiteral("ИМПУЛЬС"),
        QStringLiteral("ОЖИДАНИЕ ОТБОЯ"),
        QStringLiteral("ПЕРЕДАЧА АВТООТВЕТА"),
        QStringLiteral("ЛИНИЯ ПАССИВНА"),
        QStringLiteral("КАНАЛ ПЕРЕКЛЮЧЕН НА IBM"),
    };
    return names;
}

QString TwoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QChar(u'0'));
}

} // namespace

ChannelWindowState::ChannelWindowState(ChannelWindowView& view)
    : view_(view)
    , caption_(QStringLiteral("Контроль - канал "))
{
}

ChannelWindowState::~ChannelWindowState() = default;

// --- The window's own fields ---

void ChannelWindowState::SetChannel(std::uint8_t channel)
{
    channel_ = channel;
    ShowCaptionText(ModeCaption());
}

QString ChannelWindowState::ModeCaption() const
{
    return (dialogMode_ ? QStringLiteral("Диалог - канал ") : QStringLiteral("Контроль - канал "))
        + QString::number(channel_);
}

void ChannelWindowState::ShowCaptionText(const QString& caption)
{
    caption_ = caption;
    view_.ShowCaption(caption_);
}

MessageResult ChannelWindowState::ShowBox(const QString& message, MessageIcon icon,
                                          MessageButtons buttons)
{
    return view_.ShowChannelMessage(caption_ + CarriageReturn + message, icon, buttons);
}

void ChannelWindowState::SetActions(const ChannelActions& actions)
{
    if (actions == actions_)
        return;
    actions_ = actions;
    view_.ActionsChanged();
}

void ChannelWindowState::ResetAlarm()
{
    ChannelActions actions = actions_;
    actions.AlarmActive = false;
    SetActions(actions);
}

// --- Commands ---

void ChannelWindowState::CallCommand()
{
    if (dialogMode_) {
        view_.DialNumber();
        return;
    }
    const std::uint8_t state = ChannelState();
    if (state != ChannelStates::Idle && state != ChannelStates::AlarmNoClearConfirm
        && ShowBox(QStringLiteral("Идет автоматическая работа. Прервать работу?"),
                   MessageIcon::Warning, MessageButtons::YesNo)
               != MessageResult::Yes)
        return;
    SetChannelCommand(ChannelCommands::Call);
}

void ChannelWindowState::AskAnswerBackCommand()
{
    if (dialogMode_)
        SetChannelCommand(ChannelCommands::AskAnswerBack);
}

void ChannelWindowState::AnswerBackCommand()
{
    if (dialogMode_)
        SetChannelCommand(ChannelCommands::AnswerBack);
}

void ChannelWindowState::DisconnectCommand()
{
    if (dialogMode_)
        SetChannelCommand(ChannelCommands::Disconnect);
}

void ChannelWindowState::ControlModeCommand()
{
    if (dialogMode_)
        SetChannelCommand(ChannelCommands::ControlMode);
}

void ChannelWindowState::RestartCommand()
{
    SetChannelCommand(ChannelCommands::Restart);
}

// --- Typing and pasting ---

bool ChannelWindowState::CanType() const
{
    return dialogMode_ && ChannelState() == ChannelStates::Connected;
}

bool ChannelWindowState::PutKey(QStringView keys)
{
    if (column_ < LineWidth)
        return KeyRing().Put(keys);
    QString withLineEnd;
    withLineEnd.reserve(keys.size() + 2);
    withLineEnd.append(CarriageReturn).append(LineFeed).append(keys);
    if (!KeyRing().Put(withLineEnd))
        return false;
    column_ = 0;
    return true;
}

bool ChannelWindowState::TypeKey(QChar key)
{
    if (key == CarriageReturn) {
        const QChar lineEnd[] = {CarriageReturn, LineFeed};
        return PutKey(QStringView(lineEnd, 2));
    }
    return PutKey(key);
}

void ChannelWindowState::CountMemoChar(QChar c)
{
    if (c == CarriageReturn || c == LineFeed)
        column_ = 0;
    else
        ++column_;
}

void ChannelWindowState::StartPaste(const QString& text)
{
    if (text.isEmpty())
        return;
    pasteText_ = text;
    pasteDone_ = 0;
    view_.ShowProgress(static_cast<int>(text.size()));
}

// --- The timer ---

void ChannelWindowState::MessagesTimerTimer()
{
    FeedPaste();
    ShowEngineProgress();
    if (!timerBusy_) {
        timerBusy_ = true;
        TakeQueued();
        timerBusy_ = false;
    }
    if (++tickCount_ >= 10) {
        tickCount_ = 0;
        UpdateAlarmCaption();
    }
}

void ChannelWindowState::FeedPaste()
{
    if (pasteText_.isEmpty())
        return;
    if (!CanType()) {
        pasteText_.clear();
        view_.HideProgress();
        return;
    }
    // A full ring keeps the character for the next tick.
    if (!PutKey(pasteText_.front()))
        return;
    pasteText_.remove(0, 1);
    ++pasteDone_;
    view_.SetProgressPosition(pasteDone_);
    if (pasteText_.isEmpty())
        view_.HideProgress();
}

void ChannelWindowState::ShowEngineProgress()
{
    const bool active = progressActive_.load();
    if (active && !progressShown_) {
        progressShown_ = true;
        view_.ShowProgress(ProgressMax());
    } else if (active && progressShown_) {
        const std::int16_t position = ProgressPosition();
        if (position != progressShownPosition_.load()) {
            progressShownPosition_.store(position);
            view_.SetProgressPosition(position);
        }
    } else if (!active && progressShown_) {
        progressShown_ = false;
        view_.HideProgress();
    }
}

void ChannelWindowState::TakeQueued()
{
    QString programError;
    {
        const std::lock_guard lock(programErrorMutex_);
        if (!view_.ShuttingDown())
            programError = std::exchange(programError_, QString());
    }
    if (!programError.isEmpty())
        view_.ShowChannelMessage(programError, MessageIcon::Error);
    if (adapterTimeout_.exchange(false) && !view_.ShuttingDown())
        view_.ShowChannelMessage(QStringLiteral("Тайм-аут при работе с TARVELOX-01"), MessageIcon::Error);
    if (adapterLoadError_.exchange(false) && !view_.ShuttingDown())
        view_.ShowChannelMessage(QStringLiteral("Ошибка загрузки программы в TARVELOX-01"),
                                 MessageIcon::Error);

    const std::uint8_t code = pendingMessageCode_.load();
    if (code != messageCode_.load()) {
        messageCode_.store(code);
        // While the program shuts down the code stays for the shut-down to see.
        if (!view_.ShuttingDown()) {
            ShowMessageCode(code);
            messageCode_.store(0);
            pendingMessageCode_.store(0);
        }
    }

    const std::uint8_t state = pendingState_.load();
    if (state != ChannelState()) {
        SetShownChannelState(state);
        UpdateStateControls();
    }
}

void ChannelWindowState::ShowMessageCode(std::uint8_t code)
{
    switch (code) {
    case ChannelMessageCodes::DialogFromIdle: {
        ChannelActions actions = actions_;
        actions.Control = true;
        SetActions(actions);
        ShowBox(QStringLiteral("Завершилась автоматическая работа"), MessageIcon::Information);
        view_.DialNumber();
        break;
    }
    case ChannelMessageCodes::DialogFromWork:
        ShowBox(QStringLiteral("Завершилась автоматическая работа"), MessageIcon::Information);
        break;
    case ChannelMessageCodes::Cleared:
        ShowBox(QStringLiteral("Передан отбой"), MessageIcon::Information);
        break;
    case ChannelMessageCodes::PartnerCleared:
        ShowBox(QStringLiteral("Получен отбой"), MessageIcon::Information);
        break;
    case ChannelMessageCodes::Refused:
        ShowBox(QStringLiteral("Неверная команда"), MessageIcon::Error);
        break;
    default:
        break;
    }
}

bool ChannelWindowState::CheckAlarm(std::uint8_t state)
{
    ChannelActions actions = actions_;
    actions.AlarmActive = ChannelStates::IsAlarm(state);
    if (actions.AlarmActive && dialogMode_)
        actions.Control = true;
    SetActions(actions);
    if (!actions.AlarmActive)
        return false;
    QString text = QStringLiteral("АВАРИЯ %1-й канал").arg(channel_) + CarriageReturn + AlarmText(state);
    if (state == ChannelStates::AlarmFileError && !AlarmFile().isEmpty())
        text += CarriageReturn + AlarmFile(); // the file whose work failed
    if (!view_.ShuttingDown())
        ShowBox(text, MessageIcon::Error);
    return true;
}

void ChannelWindowState::UpdateStateControls()
{
    const std::uint8_t state = ChannelState();
    if (!dialogMode_) {
        if (CheckAlarm(state))
            return;
        ChannelActions actions;
        actions.Call = state != ChannelStates::Stopped;
        SetActions(actions);
        view_.SetLedAutoBlink(ChannelLed::Tx, false);
        return;
    }

    view_.SetMemoTextCursor(state == ChannelStates::Connected);
    if (ChannelStates::IsAlarm(state)) {
        CheckAlarm(state);
        return;
    }
    ChannelActions actions;
    actions.Control = true;
    switch (state) {
    case ChannelStates::Clearing:
    case ChannelStates::WaitClearConfirm:
    case ChannelStates::Idle:
        actions.Call = true;
        break;
    case ChannelStates::Calling:
    case ChannelStates::WaitDialInvitation:
    case ChannelStates::Dialling:
    case ChannelStates::WaitConnection:
        actions.Disconnect = true;
        break;
    case ChannelStates::Connected:
        actions.Ask = true;
        actions.AnswerBack = true;
        actions.Disconnect = true;
        KeyRing().Clear();
        break;
    default:
        break;
    }
    SetActions(actions);
    if (view_.ShuttingDown())
        return;
    if (state == ChannelStates::Clearing)
        ShowBox(QStringLiteral("Получен отбой"), MessageIcon::Information);
    else if (state == ChannelStates::Connected)
        ShowBox(QStringLiteral("Соединение установлено"), MessageIcon::Information);
}

void ChannelWindowState::UpdateAlarmCaption()
{
    if (actions_.AlarmActive) {
        alarmBlink_ = !alarmBlink_;
        ShowCaptionText(alarmBlink_ ? ModeCaption() + AlarmMark : ModeCaption());
        return;
    }
    const qsizetype at = caption_.indexOf(AlarmMark);
    if (at >= 0)
        ShowCaptionText(caption_.left(at));
}

// --- Operations the driver calls ---

void ChannelWindowState::SetDialogMode(bool dialog)
{
    gui_.Post([this, dialog] {
        if (dialog == dialogMode_)
            return;
        dialogMode_ = dialog;
        ShowCaptionText(ModeCaption());
        UpdateStateControls();
    });
}

void ChannelWindowState::SetChannelState(std::uint8_t state)
{
    // Always the latest state: the timer shows it only when it differs from
    // the state shown, so a change that returns before the timer shows nothing.
    pendingState_.store(state);
}

void ChannelWindowState::SetAuxState(std::uint8_t state)
{
    auxState_.store(state);
}

void ChannelWindowState::PostMessageCode(std::uint8_t code)
{
    if (code != messageCode_.load())
        pendingMessageCode_.store(code);
}

void ChannelWindowState::SetElementName(const QString& name)
{
    gui_.Post([this, name] {
        if (name == elementName_)
            return;
        elementName_ = name;
        view_.SetStatusText(ChannelStatusBar::First, 3, name);
    });
}

void ChannelWindowState::SetTxCount(int count)
{
    gui_.Post([this, count] {
        if (count == txCount_)
            return;
        txCount_ = count;
        view_.SetStatusText(ChannelStatusBar::Second, 2, QString::number(count));
    });
}

void ChannelWindowState::SetRxCount(int count)
{
    gui_.Post([this, count] {
        if (count == rxCount_)
            return;
        rxCount_ = count;
        view_.SetStatusText(ChannelStatusBar::Second, 3, QString::number(count));
    });
}

void ChannelWindowState::SetCallInfo(const QString& tlgFile, const QString& number,
                                     const QString& address, const QString& answerBackInfo)
{
    gui_.Post([this, tlgFile, number, address, answerBackInfo] {
        view_.SetStatusText(ChannelStatusBar::First, 0, tlgFile);
        view_.SetStatusText(ChannelStatusBar::First, 1,
                            number.isEmpty() ? QString() : QStringLiteral("#") + number);
        view_.SetStatusText(ChannelStatusBar::First, 2, address);
        view_.SetStatusText(ChannelStatusBar::Second, 5, answerBackInfo);
    });
}

void ChannelWindowState::SetTelegramFile(const QString& name)
{
    gui_.Post([this, name] { view_.SetStatusText(ChannelStatusBar::Second, 4, name); });
}

void ChannelWindowState::SetAnswerBackAndProtocol(const QString& answerBack, const QString& protocol)
{
    gui_.Post([this, answerBack, protocol] {
        QString shown;
        StripTextMarks(answerBack, shown);
        view_.SetStatusText(ChannelStatusBar::Second, 0, shown);
        view_.SetStatusText(ChannelStatusBar::Second, 1, protocol);
    });
}

void ChannelWindowState::SetConnectionTime(const QTime& time)
{
    // Shown to the second; told at every protocol tick.
    const int second = time.isValid() ? time.msecsSinceStartOfDay() / 1000 : -2;
    if (connectionSecond_.exchange(second) == second)
        return;
    gui_.Post([this, time] {
        if (time == connectionTime_)
            return;
        connectionTime_ = time;
        view_.SetStatusText(ChannelStatusBar::First, 6,
                            LongTimeText(time));
    });
}

void ChannelWindowState::SetProgressActive(bool active)
{
    progressActive_.store(active);
    if (active)
        progressShownPosition_.store(0);
}

void ChannelWindowState::SetAlarmColor(bool alarm)
{
    gui_.Post([this, alarm] { view_.SetMemoAlarmColor(alarm); });
}

void ChannelWindowState::ShowAdapterInfo(const AdapterStatus& status)
{
    gui_.Post([this, status] {
        view_.AppendMemoLine(QStringLiteral("Версия программы %1.%2")
                                 .arg(int{status.VersionMajor})
                                 .arg(int{status.VersionMinor}));
        view_.AppendMemoLine(QStringLiteral("Объем памяти: %1 байт").arg(status.MemorySize));
        view_.AppendMemoLine(status.ProgramPresent
                                 ? QStringLiteral("Состояние внутренней программы: РАБОТАЕТ")
                                 : QStringLiteral("Состояние внутренней программы: ОТСУТСТВУЕТ"));
    });
}

void ChannelWindowState::ShowAdapterChannelState(const AdapterStatus& status)
{
    gui_.Post([this, status] {
        const auto& names = LineStateNames();
        if (status.LineState < names.size())
            view_.AppendMemoLine(QStringLiteral("Состояние телеграфного канала: ")
                                 + names[status.LineState]);
        view_.AppendMemoLine(QStringLiteral("Объем свободной памяти: %1 байт").arg(status.FreeMemory));
        view_.AppendMemoLine(QStringLiteral("Количество телеграмм в памяти: %1").arg(int{status.StoredCount}));
    });
}

void ChannelWindowState::ShowStoredTelegram(const StoredTelegramHeader& header)
{
    gui_.Post([this, header] {
        view_.AppendMemoLine(QStringLiteral("Телеграмма №%1 от %2/%3/%4 %5:%6:%7 Размер: %8 символа")
                                 .arg(int{header.Number})
                                 .arg(TwoDigits(header.Day), TwoDigits(header.Month),
                                      TwoDigits(header.Year), TwoDigits(header.Hour),
                                      TwoDigits(header.Minute), TwoDigits(header.Second))
                                 .arg(int{header.TextLength()}));
    });
}

void ChannelWindowState::AddText(const QString& line)
{
    gui_.Post([this, line] { view_.AppendMemoLine(line); });
}

void ChannelWindowState::ClearText()
{
    gui_.Post([this] { view_.ClearMemo(); });
}

void ChannelWindowState::SendMemoChar(QChar c)
{
    gui_.Post([this, c] {
        view_.InsertMemoChar(c);
        CountMemoChar(c);
    });
}

void ChannelWindowState::SetAdapterTimeout()
{
    adapterTimeout_.store(true);
}

void ChannelWindowState::SetAdapterLoadError()
{
    adapterLoadError_.store(true);
}

void ChannelWindowState::SetAdapterProgramError(const QString& text)
{
    const std::lock_guard lock(programErrorMutex_);
    programError_ = text;
}

void ChannelWindowState::SetLedLight(ChannelLed led, bool light)
{
    std::atomic<int>& shown = led == ChannelLed::Tx ? txLight_ : rxLight_;
    if (shown.exchange(light ? 1 : 0) == (light ? 1 : 0))
        return;
    gui_.Post([this, led, light] { view_.SetLedLight(led, light); });
}

void ChannelWindowState::SetLedAutoBlink(ChannelLed led, bool autoBlink)
{
    gui_.Post([this, led, autoBlink] { view_.SetLedAutoBlink(led, autoBlink); });
}

} // namespace korvane
