#pragma once

// A channel's outgoing telegrams: the files TEL<n>.TLG in its outgoing
// folder, whose leading lines ("|" lines) name the numbers to call, each
// behind a mark: '#' still to call, '*' done, '~' blocked. The scan finds
// them, picks the next number to call, marks numbers done or blocked in the
// file and, when no number is left to call, gives the file the extension
// of its outcome (.TRS, .ERR, .LER, "." + a failure name) or deletes it.
//
// This is the file tick's side, on the main thread: it reads and writes
// the files freely and takes the engine lock only to read the number lists
// and to hand the current telegram and a chosen destination to the driver
// (TlgLines, TlgPath, TlgFileName, Number, Address, ExpectedAnswerBack,
// Events $100), where the line side reads them.

#include "engine/DiskSteps.h"
#include "engine/FolderWatch.h"
#include "engine/KnownTelegrams.h"
#include "support/OemText.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

namespace korvane {

class TTxChannelDriver;

// A successful call's done mark: the '#' at 1-based Pos of line Line of the
// telegram Path, before Number.
struct DoneMark {
    QString path;
    int line = -1;
    int pos = 0;
    QString number;
};

class OutgoingTelegrams {
public:
    // Results of SelectNextDestination.
    enum Selection : std::uint8_t {
        NoAddress = 0,   // no usable address line
        Selected = 1,    // a destination was selected
        Waiting = 2,     // '#' numbers remain, none callable now
        Blocked = 3,     //   (the same, the last one examined just blocked)
        AllDone = 4,     // every number done
        OnlyBlocked = 5, // only blocked numbers left
    };
    // Results of CheckNumber; of GetNumberStatus.
    enum NumberCheck : std::uint8_t { Callable = 1, WaitsForRetry = 2, BlockedNow = 3 };
    enum NumberStatus : std::uint8_t { StatusCallable = 0, StatusWaiting = 1, StatusBlocked = 2 };

    static constexpr int NumberCapacity = 24;

    explicit OutgoingTelegrams(TTxChannelDriver& driver);

    // The scan of the outgoing folder (Events $1): continues the current
    // file, then the listing of the previous scan, or lists the folder
    // afresh when no file is current; stops at the first destination.
    // A long listing is gone through over several file ticks, a slice of
    // time each: false while the scan goes on, true when it has ended.
    // Files known unchanged whose numbers all wait for their retry are
    // not read again. One destination at a time: while the line side
    // holds the one handed to it (not yet taken, or its call not ended),
    // a scan ends at once and chooses none. While the subscriber directory
    // cannot be read, the number chosen waits for it: the scan goes on at
    // the next file tick with that number.
    bool Scan();
    // The call to the selected destination succeeded (Events $2): its line
    // is marked done in memory at once, so that the number is never called
    // again, and the mark returned for the file work to write once the
    // call's record and journal line are on disk. False: nothing selected.
    bool CallSucceeded(const QString& number, DoneMark& mark);
    // A done mark is on disk (or its telegram was deleted meanwhile, Gone):
    // the telegram's next destination is chosen at once, a deleted one
    // stays deleted and is dropped. Not while the line side holds a
    // destination: that call's end continues the telegram. A destination
    // chosen here ends a scan under way.
    void DoneMarkWritten(const DoneMark& mark, bool gone);
    // A done mark waits to be written into Path (the file work was restarted).
    void NoteDoneMarkWaiting(const DoneMark& mark);
    // The '#' of Number at line Line, position Pos (or, when the file has
    // changed, the first '#' before Number in an address line) becomes '*'
    // with every other '#' of its line. False when no such '#' is left.
    static bool ApplyDoneMark(QStringList& lines, int line, int pos, const QString& number);

    // Makes the listed file Name current and loads it. False when it cannot
    // be loaded (logged once) or no longer exists; no file is current then.
    bool OpenOutgoingFile(const QString& name);
    // One pass on the current file and what its outcome asks for; true when
    // a destination was selected.
    bool ProcessOutgoingFile();
    Selection SelectNextDestination();
    // Number N found at the '#' at 1-based position H of line Index.
    NumberCheck CheckNumber(const QString& n, int index, int h);
    // Reads the number lists; the caller holds the engine lock.
    static NumberStatus GetNumberStatus(const QString& n);
    // The run of '0'-'9', '+', '-', '.' after the mark at 1-based position
    // H of L, at most 24 characters; empty when H is 0.
    static QString ExtractNumber(const QString& l, int h);
    static QString AnswerBackFromNumber(const QString& n);
    // Every '#' of L becomes '*'.
    static void ReplaceMarks(QString& l);
    // The selected destination's line is marked done: its '#' (the one
    // selected) and every other '#' of the line become '*'. Only a '#'
    // followed by the number is marked: where the file has changed since
    // the selection, the number's '#' is looked for in the address lines,
    // and without one nothing is marked.
    void MarkNumberDone();
    // A line of the leading '|' block of the current file holds a '#'.
    bool HasPendingNumbers() const;

    // The state of the scan (main thread only).
    QStringList TlgSearch;  // the listing being gone through
    int TlgSearchNext = 0;  // its next entry
    OemLines TlgRawLines;
    QStringList TlgLines;
    QString TlgFileName;
    QString TlgPath;
    std::uint16_t SearchLine = 0;
    std::uint16_t SearchPos = 1;
    bool DestinationFound = false;
    std::uint8_t LastFileResult = 0;
    QString Number;
    QString ExpectedAnswerBack;
    QString Address;

    // The destination selected last: its file, line and '#' position.
    QString SelectedPath;
    QString SelectedNumber;
    int SelectedLine = -1;
    int SelectedPos = 0;

    // The longest slice of one scan on one file tick, and the files a
    // slice examines whatever it takes.
    qint64 SliceNs = 4'000'000;
    int SliceMinFiles = 32;

private:
    enum class ListingResult { Selected, Exhausted, SliceUsed, LookUpPending };
    ListingResult ContinueListing();
    bool EndScan(bool selected);
    // File Name of the listing is known unchanged, and every number a
    // pass would examine in it waits for its retry: a pass would do nothing.
    bool KnownToWait(const OpenFolder& folder, const QString& name);
    // What the folder's watch has seen change since it was asked last; a
    // lost watch is set up again.
    void CollectChanges();
    bool Watching() const { return watch_ && watch_->Watching(); }
    // With no '#' left: AllDone when every address line that holds marks
    // has a done one, OnlyBlocked when a line holds only blocked ones.
    Selection FinalOutcome() const;
    // L has a done mark: a '*' followed by a number. A '*' elsewhere (the
    // Russian-letters shift, in an expected answerback or in the text
    // around the numbers) marks nothing.
    static bool HasDoneMark(const QString& l);
    // The destination handed to the line side is still its own: not yet
    // taken, or taken and its call not ended (the line not back in the
    // idle step).
    bool SelectionHeld();
    // The number just selected is kept for another look-up in the
    // directory: the next pass finds its '#' again.
    void KeepForLookUp();
    // Line Index of Lines has a '#' at 1-based H followed by number N.
    static bool MarkStandsAt(const QStringList& lines, int index, int h, const QString& n);
    // The first '#' followed by N in the address lines.
    static bool FindMark(const QStringList& lines, const QString& n, int& index, int& h);
    // Writes a telegram through the safe writer; a telegram deleted
    // meanwhile is not written again (logged once).
    void SaveTelegram(const QString& path, const QStringList& lines, OemLines& raw);
    // The '~' of number N at 1-based H of line Index written into the
    // current telegram as it stands on disk, while a done mark waits for
    // its call's record and journal line: the lines in memory already show
    // that mark, and the file must not before they are there.
    void SaveBlockedMarkAlone(int index, int h, const QString& n);
    // The done marks still waiting to be written, put into TlgLines.
    void OverlayDoneMarks();
    bool DoneMarkWaiting(const QString& path) const;
    // Gives the current file the extension Ext; logged either way (a
    // failure once); false when it keeps its name.
    bool RenameTo(const QString& ext);
    // Log Line once for Path until the file's outcome is reached.
    void LogOnce(const QString& path, const QString& line);
    void ForgetLogged(const QString& path);
    void FinishFile();
    void FinishAllDone();
    // False while the directory cannot be read.
    bool LookUpSubscriber();
    // Hands the current telegram (and a new destination) to the driver.
    void Publish(bool scanEnded);
    void Log(const QString& line) const;

    TTxChannelDriver& d_;
    bool announce_ = false;            // a destination waits to be handed to the driver
    bool handed_ = false;              // one was handed, and may still be the line side's
    bool lookUpPending_ = false;       // the current file's selected number waits for the directory
    bool scanning_ = false;            // a scan goes on at the next file tick
    bool scanFresh_ = false;           // it began with a listing of its own
    KnownTelegrams known_;
    std::unique_ptr<FolderWatch> watch_;
    QSet<QString> loadFailuresLogged_; // files whose loading failed, logged once each
    bool directoryFailureLogged_ = false;
    QList<DoneMark> doneMarks_;       // written to disk by the file work, not yet there
    QSet<QString> finishLogged_;      // lines of a finishing that has to be tried again, logged once
};

// Path with its extension replaced by Ext (".TRS").
QString ChangeFileExt(const QString& path, const QString& ext);

} // namespace korvane
