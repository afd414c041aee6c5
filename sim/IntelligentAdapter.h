#pragma once

#include "platform/serial/SerialTypes.h"
#include "platform/serial/SimScheduler.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace korvane::serial {
class SimSerialDevice;
}

namespace korvane::sim {

// What a scenario says of an intelligent adapter (sim/README.md).
struct IntelligentAdapterConfig {
    enum class Program : std::uint8_t { Present, Absent, Refused };
    struct Stored {
        std::uint8_t number = 0;
        QString text; // telegraph text with its marks
    };
    struct FaultSpec {
        QByteArray command;
        std::uint8_t fault = 0; // IntelligentAdapter::Fault
        int times = 1;
    };
    Program program = Program::Present;
    std::vector<Stored> stored;
    std::uint8_t lineState = 0;
    int lineStatePolls = 0;
    std::vector<FaultSpec> faults;
};

// The intelligent line adapter (TARVELOX-01 kind) at the far end of a
// simulated serial device, in its command mode: while the port holds break
// off and RTS on, it listens at 9600 bit/s, 8 data bits, no parity, 1 stop
// bit (a port in another frame garbles) for "AT" commands - four letters,
// then "," and 16-bit arguments (low byte first, "," between them) or
// nothing, and "." - and answers them:
//
//   ATDATE,y,m,d.  ATTIME,s,m,h.   set its clock; no reply
//   ATTEST.        6 bytes: version major, minor, 0, 0, memory code with
//                  bit 2 set when its program runs, 0
//   ATLOAD,a,b,c.  a program: its body of A bytes follows raw, C is the
//                  16-bit sum of the body's bytes; a body that adds up
//                  starts the program
//   ATLOAD,n,addr. N raw bytes follow for its memory at Addr; $2EA0 is the
//                  32-byte settings block
//   ATLODO,lo,hi.  the channel's modes; no reply
//   ATTLXS.        7 bytes: line state, 0, stored telegrams, 0, free memory
//                  (24 bits, low byte first)
//   ATHTEL.        the 11-byte header of the oldest stored telegram
//   ATGETT.        that header again and the telegram's codes, one a byte
//   ATDELT.        2 bytes "OK"; the oldest stored telegram is deleted
//
// DCD is NOT DTR (the adapter presence test). Its memory of stored
// telegrams is filled by a scenario or by calls that came in on its line
// while no program listened. Faults can be injected per command: no reply,
// a short reply, garbage instead of the reply, a reply split in two with
// a pause between the parts, or a long reply (the reply with noise behind
// it, still arriving when the next command goes out). Everything it saw and did goes to a text
// transcript (bytes in hexadecimal) and, byte for byte, to received().
//
// Thread-safe: its step runs on the scheduler; a test or scenario may call
// the members from another thread.
class IntelligentAdapter {
public:
    enum class Fault : std::uint8_t { None, NoReply, ShortReply, Garbage, SplitReply, LongReply };
    // Bytes of noise that a long reply carries behind the reply itself.
    static constexpr int LongReplyTail = 32;

    struct StoredTelegram {
        std::uint8_t Number = 0;
        QDateTime Received;
        QByteArray Codes; // 5-bit codes, one a byte
    };

    static constexpr serial::LineSettings CommandFrame{9600, 8, 0, 0};
    static constexpr std::uint16_t SettingsAddress = 0x2EA0;
    static constexpr int SettingsSize = 32;
    static constexpr std::uint32_t MemoryUnit = 32768;

    // Its clock starts at the scheduler's time (the wall clock on real time).
    IntelligentAdapter(std::shared_ptr<serial::SimSerialDevice> device, serial::SimScheduler& scheduler);
    // The same, set up as a scenario says.
    IntelligentAdapter(std::shared_ptr<serial::SimSerialDevice> device, serial::SimScheduler& scheduler,
                       const IntelligentAdapterConfig& config);
    ~IntelligentAdapter();
    IntelligentAdapter(const IntelligentAdapter&) = delete;
    IntelligentAdapter& operator=(const IntelligentAdapter&) = delete;

    serial::SimSerialDevice& device() const { return *m_device; }

    // ---- what it is ----
    void setVersion(std::uint8_t major, std::uint8_t minor);
    // Memory = (code + 1) x 32 KB, code 0..3.
    void setMemoryCode(std::uint8_t code);
    void setProgramPresent(bool present);
    bool programPresent() const;
    // A program body never takes (the adapter keeps reporting none).
    void setRefusesProgram(bool refuses);
    // Time between a command's last byte and its reply.
    void setReplyDelayUs(std::int64_t us);

    // ---- its memory and its line ----
    void storeTelegram(StoredTelegram telegram);
    // A call on its line while no program listens: stored with the next
    // number and the adapter's clock.
    void receiveTelegram(const QByteArray& codes);
    std::vector<StoredTelegram> stored() const;
    std::uint32_t freeMemory() const;
    // The line state 1..8 reported by the next Polls status replies, then 0.
    void setLineState(std::uint8_t state, int polls);

    // ---- faults ----
    // The next Times replies to Command ("ATTEST", ...) carry Fault, after
    // the faults injected before; any count costs the same.
    void injectFault(const QByteArray& command, Fault fault, int times = 1);

    // ---- what it saw ----
    // Keeps at most MaxEntries transcript lines and received bytes, the
    // newest; 0: all of them (the default).
    void setHistoryLimit(std::size_t maxEntries);
    QStringList transcript() const;
    QByteArray received() const;      // every byte taken in command mode, in order
    QByteArray settingsBlock() const; // the last settings block loaded
    std::uint32_t modes() const;      // the last ATLODO
    QByteArray program() const;       // the last program body taken
    int programLoads() const;         // ATLOAD program commands taken
    QDateTime clock() const;          // its clock now, as set by ATDATE and ATTIME
    bool commandMode() const;

    // A synthetic program file: the three load words (body length, load
    // address, the 16-bit sum of the body) and a body of BodySize bytes.
    static QByteArray MakeProgramFile(int bodySize, std::uint16_t address = 0x4000);
    static bool WriteProgramFile(const QString& path, int bodySize);

private:
    struct Reply {
        std::int64_t dueUs;
        QByteArray bytes;
    };
    std::int64_t step(std::int64_t nowUs);
    void take(std::uint8_t byte, std::int64_t us);
    void execute(const QByteArray& name, const std::vector<std::uint16_t>& words, std::int64_t us);
    void reply(const QByteArray& command, const QByteArray& bytes, std::int64_t us);
    void finishLoad();
    void note(const QString& line);
    // Under m_mutex: drops what is beyond the history limit.
    void trimHistory();
    QByteArray header(const StoredTelegram& t) const;
    std::uint32_t usedMemory() const;
    QDateTime clockAt(std::int64_t us) const;

    std::shared_ptr<serial::SimSerialDevice> m_device;
    serial::SimScheduler& m_scheduler;

    mutable std::mutex m_mutex;
    std::uint8_t m_major = 2, m_minor = 1, m_memoryCode = 3;
    bool m_programPresent = false, m_refusesProgram = false;
    std::int64_t m_replyDelayUs = 2000;
    std::int64_t m_splitPauseUs = 40000;
    std::deque<StoredTelegram> m_stored;
    std::uint8_t m_nextNumber = 1;
    std::uint8_t m_lineState = 0;
    int m_lineStatePolls = 0;
    // Per command, the faults still to come, in order: each with how many
    // replies it spoils (a count, however large, is one entry).
    struct FaultRun {
        Fault fault;
        int times;
    };
    std::map<QByteArray, std::deque<FaultRun>> m_faults;

    bool m_rts = false, m_brk = true; // the port's lines as last seen
    QByteArray m_command;             // the command being taken
    QByteArray m_load;                // raw bytes being loaded
    int m_loadLeft = 0;
    bool m_loadProgram = false;
    std::uint16_t m_loadAddress = 0, m_loadSum = 0;
    std::deque<Reply> m_replies;

    QStringList m_transcript;
    QByteArray m_received;
    std::size_t m_historyLimit = 0;
    QByteArray m_settings;
    QByteArray m_program;
    std::uint32_t m_modes = 0;
    int m_programLoads = 0;
    QDate m_date{2000, 1, 1};
    QTime m_time{0, 0};
    std::int64_t m_clockSetUs = 0;

    serial::SimScheduler::Registration m_registration;
};

} // namespace korvane::sim
