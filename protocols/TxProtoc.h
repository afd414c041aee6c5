#pragma once

#include "platform/Clock.h"
#include "protocols/ProtocolModel.h"

#include <QString>

#include <memory>

namespace korvane {

class MessageBox;

// The program folder, with a trailing separator; KORVANE2.INI, KORVANE2.PRO,
// DC2.PRO, LOG/, wavs/ and the adapter's program file lie there. Set by the
// main window at start-up, read by everyone else.
extern QString AppDir;
// AppDir + "KorvaneDB", without a trailing separator: the directory tables.
extern QString DBPath;
// Sets AppDir (adding the trailing '/' when missing) and DBPath from it.
void SetAppPaths(const QString& programFolder);

// The INI section of a channel's telegram counters: "CHANNEL #n".
QString ChannelSectionName(int channel);

// The settings store: owns the live protocol set, loads it from the
// protocol file (or builds the defaults and writes them when the file is
// missing or unreadable), fills the channels' telegram counters from the
// INI file after every load, and writes sets back.
//
// Every message is an error box whose text is followed by a carriage return
// and the protocol file's path.
//
// An unreadable file is kept beside itself as <name>.BAD (or .BAD2, .BAD3,
// ... when that exists) before the defaults are written; when it cannot be
// kept, the defaults are used in memory only and the file stays as it is.
// A valid file that may not be written is loaded all the same; saving over
// it then fails with the open message.
class TProtocol {
public:
    explicit TProtocol(MessageBox& box, const Clock& clock = systemClock());
    ~TProtocol();
    TProtocol(const TProtocol&) = delete;
    TProtocol& operator=(const TProtocol&) = delete;

    const QString& IniName() const { return FIniName; }
    const QString& ProName() const { return FProName; }
    void SetIniName(const QString& name) { FIniName = name; }
    void SetProName(const QString& name) { FProName = name; }

    // The live set; null until the first load (and after a load that could
    // neither open nor create the file).
    TProtocolSet* Set() const { return FSet.get(); }

    // LoadFrom (the live set).
    void Load();
    // Frees the live set, then Load.
    void Reload();
    // SaveTo (the live set).
    void Save();
    // The live set := a new default set (freeing the old one).
    void CreateDefault();

    // Loads the file into Set, or builds and writes the defaults into Set;
    // then reads the counters into it. A set that Set held is freed. Set is
    // left as it was only when the file can neither be opened nor created,
    // and then the result is false.
    bool LoadFrom(std::unique_ptr<TProtocolSet>& set);
    // Writes Set to the protocol file, replacing it only once the new
    // contents are complete on disk: a failed save leaves the old file whole.
    // Returns whether the file was written. A null Set writes nothing.
    bool SaveTo(std::unique_ptr<TProtocolSet>& set);

    // Fills the Counters of every channel of Set from the INI file.
    void ReadCounters(TProtocolSet& set) const;

private:
    void showError(const QString& text) const;
    // Moves the unreadable file out of the way; the new name, or empty.
    QString keepAside() const;

    MessageBox& m_box;
    const Clock& m_clock;
    std::unique_ptr<TProtocolSet> FSet;
    QString FIniName;
    QString FProName;
};

} // namespace korvane
