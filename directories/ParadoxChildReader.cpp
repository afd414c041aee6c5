#include "directories/ParadoxChildReader.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

// pxlib's header declares C functions without a C++ guard.
extern "C" {
#include <paradox.h>
}

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace korvane {

namespace {

// What the child writes, frame by frame: a tag byte, then its contents;
// numbers are 32-bit in the machine's own order (parent and child are the
// same program).
constexpr char FieldsTag = 'F'; // count, then per field: type, length, name length, name
constexpr char RecordTag = 'R'; // one record of the record size
constexpr char ErrorTag = 'E';  // the number of the record (0 for the file), text length, text
constexpr char DoneTag = 'D';

// ---- the child: pxlib and the pipe, nothing else of the program ----

class PipeWriter {
public:
    explicit PipeWriter(int fd) : fd_(fd) {}
    void Byte(char c) { buffer_.push_back(c); Flush(false); }
    void Int(std::int32_t v)
    {
        const char* p = reinterpret_cast<const char*>(&v);
        buffer_.insert(buffer_.end(), p, p + sizeof v);
        Flush(false);
    }
    void Bytes(const char* data, size_t size)
    {
        buffer_.insert(buffer_.end(), data, data + size);
        Flush(false);
    }
    bool Flush(bool all)
    {
        if (!all && buffer_.size() < 65536)
            return true;
        size_t done = 0;
        while (done < buffer_.size()) {
            const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += static_cast<size_t>(n);
        }
        buffer_.clear();
        return true;
    }

private:
    int fd_;
    std::vector<char> buffer_;
};

void CollectPxError(pxdoc_t*, int level, const char* message, void* data)
{
    auto* text = static_cast<std::string*>(data);
    if (level != PX_Warning && text->empty() && message)
        *text = message;
}

void WriteError(PipeWriter& out, std::int32_t record, const std::string& text)
{
    out.Byte(ErrorTag);
    out.Int(record);
    out.Int(static_cast<std::int32_t>(text.size()));
    out.Bytes(text.data(), text.size());
}

[[noreturn]] void ChildMain(int fd, const char* path)
{
    PipeWriter out(fd);
    std::string pxError;
    pxdoc_t* doc = PX_new3(CollectPxError, nullptr, nullptr, nullptr, &pxError);
    if (!doc || PX_open_file(doc, path) < 0) {
        WriteError(out, 0, pxError);
        out.Flush(true);
        ::_exit(0);
    }
    const int fieldCount = PX_get_num_fields(doc);
    const int recordCount = PX_get_num_records(doc);
    const int recordSize = PX_get_recordsize(doc);
    pxfield_t* fields = PX_get_fields(doc);
    if (fieldCount <= 0 || recordCount < 0 || recordSize <= 0 || !fields) {
        WriteError(out, 0, pxError);
        out.Flush(true);
        ::_exit(0);
    }
    out.Byte(FieldsTag);
    out.Int(fieldCount);
    for (int i = 0; i < fieldCount; ++i) {
        const char* name = fields[i].px_fname ? fields[i].px_fname : "";
        out.Int(static_cast<unsigned char>(fields[i].px_ftype));
        out.Int(fields[i].px_flen);
        out.Int(static_cast<std::int32_t>(std::strlen(name)));
        out.Bytes(name, std::strlen(name));
    }
    out.Int(doc->px_head ? doc->px_head->px_doscodepage : 0);
    out.Int(recordSize);
    std::vector<char> record(static_cast<size_t>(recordSize));
    for (int r = 0; r < recordCount; ++r) {
        std::fill(record.begin(), record.end(), 0);
        if (!PX_get_record(doc, r, record.data())) {
            WriteError(out, r + 1, pxError);
            out.Flush(true);
            ::_exit(0);
        }
        out.Byte(RecordTag);
        out.Bytes(record.data(), record.size());
    }
    out.Byte(DoneTag);
    out.Flush(true);
    ::_exit(0);
}

// ---- the parent: the result, read back ----

class FrameReader {
public:
    explicit FrameReader(const QByteArray& bytes) : bytes_(bytes) {}
    bool AtEnd() const { return at_ >= bytes_.size(); }
    bool Byte(char& c)
    {
        if (at_ + 1 > bytes_.size())
            return false;
        c = bytes_[at_++];
        return true;
    }
    bool Int(std::int32_t& v)
    {
        if (at_ + qsizetype(sizeof v) > bytes_.size())
            return false;
        std::memcpy(&v, bytes_.constData() + at_, sizeof v);
        at_ += sizeof v;
        return true;
    }
    bool Bytes(qsizetype size, QByteArray& out)
    {
        if (size < 0 || at_ + size > bytes_.size())
            return false;
        out = bytes_.mid(at_, size);
        at_ += size;
        return true;
    }

private:
    const QByteArray& bytes_;
    qsizetype at_ = 0;
};

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

bool Parse(const QString& path, const QByteArray& bytes, ParadoxRecords& out, QString& error)
{
    FrameReader in(bytes);
    ParadoxRecords result;
    bool haveFields = false;
    const QString broken = QStringLiteral("Чтение таблицы Paradox %1 оборвалось").arg(Native(path));
    for (;;) {
        char tag = 0;
        if (!in.Byte(tag)) {
            error = broken;
            return false;
        }
        if (tag == DoneTag && haveFields) {
            out = std::move(result);
            return true;
        }
        if (tag == ErrorTag) {
            std::int32_t record = 0;
            std::int32_t size = 0;
            QByteArray text;
            if (!in.Int(record) || !in.Int(size) || !in.Bytes(size, text)) {
                error = broken;
                return false;
            }
            if (!text.isEmpty())
                error = QStringLiteral("Таблица Paradox %1 не читается: %2").arg(Native(path), QString::fromLocal8Bit(text));
            else if (record > 0)
                error = QStringLiteral("Не читается запись %1 таблицы Paradox: %2").arg(record).arg(Native(path));
            else
                error = QStringLiteral("Не таблица Paradox: ") + Native(path);
            return false;
        }
        if (tag == FieldsTag && !haveFields) {
            std::int32_t count = 0;
            if (!in.Int(count) || count <= 0) {
                error = broken;
                return false;
            }
            for (std::int32_t i = 0; i < count; ++i) {
                std::int32_t type = 0, length = 0, nameSize = 0;
                QByteArray name;
                if (!in.Int(type) || !in.Int(length) || !in.Int(nameSize) || !in.Bytes(nameSize, name)) {
                    error = broken;
                    return false;
                }
                result.Fields.append({type, length, name});
            }
            std::int32_t codePage = 0, recordSize = 0;
            if (!in.Int(codePage) || !in.Int(recordSize) || recordSize <= 0) {
                error = broken;
                return false;
            }
            result.CodePage = codePage;
            result.RecordSize = recordSize;
            haveFields = true;
            continue;
        }
        if (tag == RecordTag && haveFields) {
            QByteArray record;
            if (!in.Bytes(result.RecordSize, record)) {
                error = broken;
                return false;
            }
            result.Records.append(std::move(record));
            continue;
        }
        error = broken;
        return false;
    }
}

} // namespace

std::chrono::milliseconds ParadoxReadDeadline(qint64 fileSize)
{
    // A minute, and two seconds more for each megabyte: a table of 100 000
    // subscribers (some 20 MB) takes a few seconds on an ordinary machine.
    const qint64 megabytes = fileSize / (1024 * 1024);
    return std::chrono::milliseconds(60000 + 2000 * megabytes);
}

bool ReadParadoxRecords(const QString& path, std::chrono::milliseconds deadline, ParadoxRecords& out,
                        QString& error)
{
    const QByteArray name = QFile::encodeName(path);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = QStringLiteral("Не удалось начать чтение таблицы Paradox %1: нет канала").arg(Native(path));
        return false;
    }
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        error = QStringLiteral("Не удалось начать чтение таблицы Paradox %1: нет процесса").arg(Native(path));
        return false;
    }
    if (pid == 0) {
        ::close(fds[0]);
        // The child does not outlive the program.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(1);
        ChildMain(fds[1], name.constData());
    }
    ::close(fds[1]);

    QByteArray bytes;
    const QDeadlineTimer timer(deadline);
    bool finished = false;
    bool failed = false;
    char buffer[65536];
    while (!finished && !failed) {
        const qint64 left = timer.remainingTime();
        if (left <= 0)
            break;
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(std::min<qint64>(left, 1000)));
        if (ready < 0 && errno != EINTR) {
            failed = true;
        } else if (ready > 0) {
            const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
            if (n > 0)
                bytes.append(buffer, n);
            else if (n == 0)
                finished = true;
            else if (errno != EINTR && errno != EAGAIN)
                failed = true;
        }
    }
    ::close(fds[0]);
    if (!finished)
        ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!finished && !failed) {
        error = QStringLiteral("Таблица Paradox %1 не прочитана за %2 с: чтение остановлено")
                    .arg(Native(path))
                    .arg((deadline.count() + 999) / 1000);
        return false;
    }
    if (failed || !WIFEXITED(status)) {
        error = QStringLiteral("Чтение таблицы Paradox %1 оборвалось").arg(Native(path));
        return false;
    }
    return Parse(path, bytes, out, error);
}

} // namespace korvane
