#include "support/JournalTail.h"

#include "support/FileError.h"
#include "support/OemText.h"

#include <QFile>

namespace korvane {

namespace {

constexpr qsizetype kCheckedBytes = 64;

} // namespace

bool JournalTail::SameFileAsBefore(QFile& file) const
{
    if (offset_ == 0)
        return true;
    if (file.size() < offset_)
        return false;
    if (!file.seek(offset_ - lastBytes_.size()))
        return false;
    return file.read(lastBytes_.size()) == lastBytes_;
}

JournalTail::Update JournalTail::Read()
{
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError::openFailed(path_);
    Update update;
    if (!SameFileAsBefore(file)) {
        update.Restart = true;
        offset_ = 0;
        lastBytes_.clear();
    }
    if (!file.seek(offset_))
        throw FileError::readFailed(path_);
    const QByteArray added = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError::readFailed(path_);

    // A line is complete at its LF, or at a CR followed by anything but LF;
    // a CR at the very end may still get its LF.
    qsizetype complete = added.lastIndexOf('\n') + 1;
    qsizetype cr = added.lastIndexOf('\r');
    if (cr >= 0 && cr == added.size() - 1)
        cr = cr > 0 ? added.lastIndexOf('\r', cr - 1) : -1;
    if (cr >= complete)
        complete = cr + 1;
    update.Lines = OemBytesToLines(added.first(complete));
    QByteArray rest = added.sliced(complete);
    if (rest.endsWith('\r'))
        rest.chop(1);
    if (!rest.isEmpty())
        update.Fragment = OemBytesToLines(rest).value(0);

    if (complete > 0) {
        QByteArray seen = lastBytes_ + added.first(complete);
        lastBytes_ = seen.right(kCheckedBytes);
        offset_ += complete;
    }
    return update;
}

} // namespace korvane
