// The pictures of the main window's tool buttons, drawn as coloured tiles with a sign.
#include "ui/mainwindow/ToolPictures.h"

#include "ui/mainwindow/MainActions.h"
#include "widgets/LayoutScale.h"

#include <QAction>
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QToolBar>

namespace korvane {

namespace {

enum class Family { Files, Line, Alarm, Program, Edit, Telegrams, Windows };

QColor TileColour(Family family)
{
    switch (family) {
    case Family::Files: return QColor(0x2e, 0x6d, 0xa4);
    case Family::Line: return QColor(0x2e, 0x8b, 0x57);
    case Family::Alarm: return QColor(0xc0, 0x39, 0x2b);
    case Family::Program: return QColor(0x6c, 0x6f, 0x7d);
    case Family::Edit: return QColor(0x5b, 0x6e, 0xa8);
    case Family::Telegrams: return QColor(0xb9, 0x77, 0x0e);
    case Family::Windows: return QColor(0x7d, 0x4f, 0x9c);
    }
    return Qt::gray;
}

// A tile with Sign in white; Struck crosses it out.
QIcon Tile(Family family, const QString& sign, bool struck = false)
{
    constexpr int side = 64;
    QPixmap picture(side, side);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(TileColour(family));
    p.drawRoundedRect(QRectF(2, 2, side - 4, side - 4), 12, 12);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(sign.size() > 1 ? 26 : 40);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, side, side), Qt::AlignCenter, sign);
    if (struck) {
        p.setPen(QPen(QColor(0xff, 0xd0, 0xd0), 6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(14, side - 14, side - 14, 14);
    }
    p.end();
    return QIcon(picture);
}

} // namespace

void GiveToolPictures(const TMainActions& a)
{
    const struct {
        QAction* action;
        Family family;
        const char16_t* sign;
        bool struck;
    } pictures[] = {
        {a.ViewFilesAction, Family::Files, u"\u2630", false},       // ☰ a list of files
        {a.PrintAction, Family::Files, u"\u25A4", false},           // ▤ a printed page
        {a.ManualAction, Family::Line, u"\u2328", false},           // ⌨ back to the keyboard
        {a.CallAction1, Family::Line, u"\u260E", false},            // ☎
        {a.AskAction1, Family::Line, u"?", false},                  // who is there?
        {a.AnswerAction1, Family::Line, u"\u2706", false},          // ✆ our answerback
        {a.DisconAction1, Family::Alarm, u"\u2715", false},         // ✕
        {a.BellAction1, Family::Line, u"\u266A", false},            // ♪
        {a.RestartProtocolAction, Family::Alarm, u"\u21BB", false}, // ↻
        {a.AboutAction1, Family::Program, u"i", false},
        {a.SoundOffAction, Family::Program, u"\u266B", true},       // ♫ struck out
        {a.ExitAction, Family::Alarm, u"\u21E8", false},            // ⇨
        {a.EditCut1, Family::Edit, u"\u2702", false},               // ✂
        {a.EditCopy1, Family::Edit, u"\u2750", false},              // ❐
        {a.EditPaste1, Family::Edit, u"\u25A3", false},             // ▣
        {a.EditUndo1, Family::Edit, u"\u21B6", false},              // ↶
        {a.SendEditAction, Family::Telegrams, u"\u27A4", false},    // ➤
        {a.ShowBadNumbersAction, Family::Alarm, u"\u26A0", false},  // ⚠
        {a.CreateTlgAction, Family::Telegrams, u"\u270E", false},   // ✎
        {a.TrsmTlgAction, Family::Telegrams, u"\u2197", false},     // ↗ sent
        {a.RecTlgAction, Family::Telegrams, u"\u2199", false},      // ↙ received
        {a.TrmJrnAction, Family::Files, u"\u2261\u2197", false},    // ≡↗
        {a.RecJrnAction, Family::Files, u"\u2261\u2199", false},    // ≡↙
        {a.WindowCascade1, Family::Windows, u"\u274F", false},      // ❏
        {a.WindowTileHorizontal1, Family::Windows, u"\u25A4", false},
        {a.WindowTileVertical1, Family::Windows, u"\u25A5", false},
    };
    for (const auto& p : pictures)
        if (p.action)
            p.action->setIcon(Tile(p.family, QString::fromUtf16(p.sign), p.struck));
}

void ShowPicturesOnly(QToolBar& bar)
{
    bar.setToolButtonStyle(Qt::ToolButtonIconOnly);
    const LayoutScale scale(&bar);
    bar.setIconSize(scale.Size(22, 22));
}

} // namespace korvane
