#include "support/JournalTail.h"

#include "support/FileError.h"
#include "support/OemText.h"

#include <QByteArrayView>
#include <QFile>
#include <QHashFunctions>

#include <sys/stat.h>

namespace korvane {

namespace {

// The part read is checked in blocks of this size, each by its hash, and
// the last, shorter one byte for byte.
constexpr qsizetype kBlock = qsizetype(1) << 16;

size_t HashOfBlock(const char* bytes)
{
    return qHashBits(bytes, size_t(kBlock), 0);
}

} // namespace

bool JournalTail::SameFileAsBefore(QFile& file, const Identity& now) const
{
    if (offset_ == 0)
        return true;
    if (now != identity_ || file.size() < offset_ || !file.seek(0))
        return false;
    // One buffer for every block: what was read before is not held twice.
    QByteArray block(kBlock, Qt::Uninitialized);
    auto readBlock = [&](qsizetype size) {
        qsizetype got = 0;
        while (got < size) {
            const qint64 n = file.read(block.data() + got, size - got);
            if (n <= 0)
                return false;
            got += n;
        }
        return true;
    };
    for (const size_t hash : blockHashes_)
        if (!readBlock(kBlock) || HashOfBlock(block.constData()) != hash)
            return false;
    return readBlock(lastBlock_.size()) && QByteArrayView(block).first(lastBlock_.size()) == lastBlock_;
}

JournalTail::Update JournalTail::Read()
{
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw FileError::openFailed(path_);
    struct stat st {};
    if (::fstat(file.handle(), &st) != 0)
        throw FileError::readFailed(path_);
    const Identity now{static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
    const bool same = SameFileAsBefore(file, now);
    if (!file.seek(same ? offset_ : 0))
        throw FileError::readFailed(path_);
    const QByteArray added = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError::readFailed(path_);
    Update update;
    if (!same) {
        update.Restart = true;
        offset_ = 0;
    }
    if (offset_ == 0) {
        blockHashes_.clear();
        lastBlock_.clear();
    }
    identity_ = now;

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
        lastBlock_ += added.first(complete);
        qsizetype whole = 0;
        for (; lastBlock_.size() - whole >= kBlock; whole += kBlock)
            blockHashes_.append(HashOfBlock(lastBlock_.constData() + whole));
        lastBlock_.remove(0, whole);
        offset_ += complete;
    }
    return update;
}

} // namespace korvane
