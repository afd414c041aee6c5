#include "support/FileCopy.h"

#include "support/FileError.h"

#include <QFile>
#include <QFileInfo>

#include <array>

namespace korvane {

void CopyOrAppendFile(const QString& src, const QString& dst, bool keepDate)
{
    QFile in(src);
    if (!in.open(QIODevice::ReadOnly))
        throw FileError::openFailed(src);

    QFile out(dst);
    if (QFileInfo::exists(dst)) {
        if (!out.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            throw FileError::openFailed(dst);
    } else {
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
            throw FileError::createFailed(dst);
    }

    std::array<char, CopyBufSize> buffer;
    for (;;) {
        const qint64 got = in.read(buffer.data(), CopyBufSize);
        if (got < 0)
            throw FileError::readFailed(src);
        qint64 done = 0;
        while (done < got) {
            const qint64 put = out.write(buffer.data() + done, got - done);
            if (put <= 0)
                throw FileError::writeFailed(dst);
            done += put;
        }
        if (got < CopyBufSize)
            break;
    }
    if (!out.flush())
        throw FileError::writeFailed(dst);

    if (keepDate) {
        const QDateTime modified = in.fileTime(QFileDevice::FileModificationTime);
        out.setFileTime(modified, QFileDevice::FileModificationTime);
    }
}

} // namespace korvane
