#pragma once

// The single disk steps of the file tick's work: one append, safe rewrite,
// rename, link or removal each. Every step is made so that doing it again
// after a crash gives the same file as doing it once, and each passes a
// hook first, where a test can fail the step or stop the process.

#include <QByteArray>
#include <QString>

#include <functional>

namespace korvane {

// Called before every disk step with its name ("append", "append-rest",
// "replace", "rename", "link", "unlink", "remove", "setting") and its file. False
// fails the step as the system would refuse it. Empty: every step runs.
using DiskStepHook = std::function<bool(const char* step, const QString& path)>;

class DiskSteps {
public:
    explicit DiskSteps(DiskStepHook hook = {}) : hook_(std::move(hook)) {}

    // The size of Path; -1 when there is no such file.
    static qint64 SizeOf(const QString& path);
    // Up to Length bytes of Path from Offset (-1: to the end); empty when missing.
    static QByteArray ReadRange(const QString& path, qint64 offset, qint64 length = -1);
    // The same file under two names (a rename by link and unlink cut in the middle).
    static bool SameFile(const QString& a, const QString& b);

    // Bytes made to stand at Offset of Path, created when missing, and
    // flushed to the disk. A file that already holds them there is left
    // alone; one that is longer than Offset without them whole (a block cut
    // by a crash) loses that tail first; one shorter than Offset (changed
    // by someone else meanwhile) gets them at its end. A write that fails
    // leaves the file at the length it had before. Throws FileError.
    void AppendAt(const QString& path, qint64 offset, const QByteArray& bytes) const;
    // Path := Data through the safe writer; the old file stays on failure. Throws FileError.
    void Replace(const QString& path, const QByteArray& data) const;
    // From renamed to To unless To exists (never replacing a file). Where
    // the file system has no such rename, To is linked and From unlinked.
    bool Rename(const QString& from, const QString& to) const;
    bool Remove(const QString& path) const;
    // Key of Section in the INI file Path := Value (the file rewritten
    // safely, its other entries kept). Throws FileError.
    void WriteSetting(const QString& path, const QString& section, const QString& key, const QString& value) const;

private:
    bool Step(const char* step, const QString& path) const;

    DiskStepHook hook_;
};

// From renamed to To unless To exists; never replaces a file.
bool RenameNoReplace(const QString& from, const QString& to, const DiskStepHook& hook = {});

} // namespace korvane
