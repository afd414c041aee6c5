#include "platform/PrinterPort.h"

#include "platform/EventLoopWakeup.h"

#include <QFile>
#include <QtGlobal>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <unistd.h>

namespace korvane {

QString NativePrinterDevice(const QString& name)
{
    if (name.compare(QLatin1String(FirstPrinterPort), Qt::CaseInsensitive) != 0)
        return name;
    const QString mapped = qEnvironmentVariable("KORVANE_LPT1");
    return mapped.isEmpty() ? QStringLiteral("/dev/lp0") : mapped;
}

namespace {

using Clock = std::chrono::steady_clock;

// A device that reports itself writable and then takes nothing (a parallel
// port driver without a readiness check) is asked again after this pause.
constexpr std::chrono::milliseconds kRetryPause{50};

QString OpenError(const QString& device)
{
    return QStringLiteral("Ошибка открытия файла %1").arg(device);
}

QString WriteError(const QString& device)
{
    return QStringLiteral("Ошибка записи файла %1").arg(device);
}

QString TimeoutError(const QString& device, std::chrono::milliseconds deadline)
{
    return QStringLiteral("Принтер %1 не принимает данные %2 с").arg(device).arg(deadline.count() / 1000.0);
}

} // namespace

// The thread that writes the queued printouts, and what it shares with the
// port's own thread (under mutex_).
class PrinterPort::Writer {
public:
    Writer(PrinterPort& port, std::chrono::milliseconds deadline, QString device)
        : port_(port), deadline_(deadline), device_(std::move(device)),
          cancel_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), wakeup_([this] { DeliverFinished(); })
    {
        thread_ = std::thread([this] { Run(); });
    }

    ~Writer()
    {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        queued_.notify_one();
        if (cancel_ >= 0) {
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t n = ::write(cancel_, &one, sizeof one);
        }
        thread_.join();
        if (cancel_ >= 0)
            ::close(cancel_);
    }

    void Queue(QList<QByteArray> copies)
    {
        // Mapped as the port is named when the printout is asked for.
        Job job{NativePrinterDevice(device_), std::move(copies)};
        {
            const std::lock_guard lock(mutex_);
            jobs_.push_back(std::move(job));
            ++pending_;
        }
        queued_.notify_one();
    }

    bool Busy() const
    {
        const std::lock_guard lock(mutex_);
        return pending_ > 0;
    }

    QString LastError() const
    {
        const std::lock_guard lock(mutex_);
        return lastError_;
    }

private:
    struct Job {
        QString device;
        QList<QByteArray> copies;
    };

    void Run()
    {
        // A FIFO whose reader has gone answers a write with EPIPE, not
        // with a signal that would end the program.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        for (;;) {
            Job job;
            {
                std::unique_lock lock(mutex_);
                queued_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
                if (stopping_)
                    return;
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            QString error;
            for (const QByteArray& copy : job.copies) {
                error = WriteCopy(job.device, copy);
                if (!error.isEmpty())
                    break;
            }
            {
                const std::lock_guard lock(mutex_);
                if (stopping_)
                    return;
                --pending_;
                lastError_ = error;
                finished_.push_back(error);
            }
            wakeup_.wake();
        }
    }

    // One copy: open, write whole, close. Empty when it went through.
    QString WriteCopy(const QString& device, const QByteArray& bytes)
    {
        const QByteArray path = QFile::encodeName(device);
        // A plain file standing in for the printer is created and keeps every
        // printout; a device is never created (a missing printer is an error).
        int flags = O_WRONLY | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        if (!path.startsWith("/dev/"))
            flags |= O_CREAT;
        // Without blocking: a FIFO that nobody reads fails here at once
        // (ENXIO) instead of waiting for a reader for ever.
        const int fd = ::open(path.constData(), flags, 0666);
        if (fd < 0)
            return OpenError(device);
        QString error = LockDevice(fd, device);
        if (error.isEmpty())
            error = WriteAll(fd, device, bytes);
        if (::close(fd) != 0 && error.isEmpty() && errno != EINTR)
            error = WriteError(device);
        return error;
    }

    // Printouts of several windows (or programs) go to one device: a copy
    // holds the device's lock while it is written, so that copies come out
    // whole, one after the other. The lock is waited for while the port
    // lives; the copy holding it ends by its own deadline. The lock gives no
    // event to wait on, so it is asked for again after a pause. A device
    // that has no locks is written as it is.
    QString LockDevice(int fd, const QString& device)
    {
        for (;;) {
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
                return {};
            if (errno == EINTR)
                continue;
            if (errno != EWOULDBLOCK)
                return {};
            pollfd cancel{cancel_, POLLIN, 0};
            if (::poll(&cancel, 1, static_cast<int>(kRetryPause.count())) > 0)
                return WriteError(device); // the port is going away
        }
    }

    QString WriteAll(int fd, const QString& device, const QByteArray& bytes)
    {
        qsizetype done = 0;
        Clock::time_point deadline = Clock::now() + deadline_;
        bool saidReady = false;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
            if (n > 0) {
                done += n;
                deadline = Clock::now() + deadline_;
                saidReady = false;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                return WriteError(device);
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return TimeoutError(device, deadline_);
            // Wait until the device takes bytes again, the deadline passes or
            // the port goes away.
            pollfd fds[2] = {{fd, POLLOUT, 0}, {cancel_, POLLIN, 0}};
            const bool pause = saidReady;
            const int waitMs = static_cast<int>(pause ? std::min(left, kRetryPause).count() : left.count());
            const int ready = ::poll(pause ? fds + 1 : fds, pause ? 1 : 2, waitMs);
            if (ready < 0 && errno != EINTR)
                return WriteError(device);
            if (fds[1].revents & POLLIN) // the port is going away
                return WriteError(device);
            if (!pause && (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)))
                return WriteError(device);
            saidReady = !pause && (fds[0].revents & POLLOUT);
        }
        return {};
    }

    // On the port's thread: the printouts that have ended, in order.
    void DeliverFinished()
    {
        std::deque<QString> ended;
        {
            const std::lock_guard lock(mutex_);
            ended.swap(finished_);
        }
        for (const QString& error : ended)
            emit port_.Finished(error);
    }

    PrinterPort& port_;
    const std::chrono::milliseconds deadline_;
    const QString device_;
    const int cancel_;

    mutable std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<Job> jobs_;
    std::deque<QString> finished_;
    int pending_ = 0;
    QString lastError_;
    bool stopping_ = false;

    EventLoopWakeup wakeup_;
    std::thread thread_;
};

PrinterPort::PrinterPort(QObject* parent, std::chrono::milliseconds deadline, QString device)
    : QObject(parent), writer_(std::make_unique<Writer>(*this, deadline, std::move(device)))
{
}

PrinterPort::~PrinterPort() = default;

void PrinterPort::Print(QList<QByteArray> copies)
{
    writer_->Queue(std::move(copies));
}

bool PrinterPort::Busy() const
{
    return writer_->Busy();
}

QString PrinterPort::LastError() const
{
    return writer_->LastError();
}

} // namespace korvane
