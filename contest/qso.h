// One accepted QSO, the QSO log that holds them in the order the host added
// them, and the band list of labels seen so far.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <set>
#include <vector>

#include "contest/ole_date.h"

struct CInfo {
    std::string workedCallsign;
    std::string countryPrefix;
    // A log holds each band and mode label once and points every record at
    // its copy.  A record being built may point them at any text that lives
    // until it is appended.
    std::string_view band;
    std::string_view mode;
    std::string rstReceived;
    std::string rstSent;
    std::string exchangeReceived;
    std::string exchangeSent;
    int32_t frequencyKhz = 0;
    int32_t isDuplicate = 0;
    OleDateTime time;

    // The station a multiplier counts: always the worked callsign, so the
    // record keeps no second copy of it.
    const std::string& multiplierKey() const { return workedCallsign; }
};

// What the rules compare to tell one station on one band and mode from
// another: exact, case-sensitive texts.
struct StationKey {
    std::string_view workedCallsign;
    std::string_view band;
    std::string_view mode;
};

// The records in the order the host added them, the one truth every output
// is built from, and beside them an index by station key (worked callsign,
// band and mode) that the rules ask instead of scanning the log.
//
// Records live in fixed blocks of slots and never move; the log order is an
// array of slot numbers.  Taking a record out of the middle therefore
// shifts 4-byte slot numbers, not whole records with their nine texts, and
// the index can refer to records by slot for as long as they are stored.
//
// Like the records, the index is read and changed only under the lock of
// the state that holds the log; nothing in it changes on a read.
class QsoLog {
public:
    QsoLog() = default;
    QsoLog(const QsoLog&) = delete;  // records point into the log's own labels
    QsoLog& operator=(const QsoLog&) = delete;
    QsoLog(QsoLog&&) = default;
    QsoLog& operator=(QsoLog&&) = default;

    class Iterator;

    std::size_t size() const { return order_.size(); }
    bool empty() const { return order_.empty(); }
    // Room in the log-order array, which grows by an eighth of its size (at
    // least 4, at most 1024 records at a time): a log refilled QSO by QSO
    // after every reset neither reallocates on each append nor doubles past
    // need.
    std::size_t capacity() const { return order_.capacity(); }
    const CInfo& operator[](std::size_t index) const { return slot(order_[index]).record; }
    const CInfo& back() const { return slot(order_.back()).record; }
    Iterator begin() const;
    Iterator end() const;

    // Stores the record at the end of the log.  Should an allocation fail,
    // the log and its index are as they were.
    void append(CInfo record);
    // Takes out the first record in log order with this key and a time equal
    // to `time`; false when there is none.
    bool removeFirst(const StationKey& key, const OleDateTime& time);
    // Empties the log and releases its storage.
    void clear();

    // How many records have this key.
    std::size_t countOf(const StationKey& key) const;
    // Whether a record with this key has a valid time in UTC hour `hour`.
    bool heldInHour(const StationKey& key, int hour) const;
    // For each mode the log knows, the latest record in log order of this
    // callsign on this band; the records in log order.
    std::vector<const CInfo*> latestPerMode(std::string_view workedCallsign, std::string_view band) const;

private:
    static constexpr uint32_t kNoSlot = UINT32_MAX;

    struct Slot {
        CInfo record;
        uint64_t logSequence = 0;  // rises along the log order, never wraps
        uint32_t older = kNoSlot;  // the next older record of its key; in a free slot, the next free slot
    };

    // The records of one key, newest first through `Slot::older`, and the
    // UTC hours their times fall in (bit h for hour h).  Unused when empty.
    // The key's hash spares probes and moves a visit to the records.
    struct Group {
        uint32_t newest = kNoSlot;
        uint32_t count = 0;
        uint32_t hours = 0;
        uint32_t hash = 0;
    };

    // A key whose labels are the log's own copies, so that they compare and
    // hash by address.
    struct HeldKey {
        std::string_view workedCallsign;
        const char* band = nullptr;
        const char* mode = nullptr;
    };

    // Ordered, so that a label is found by its view without a copy made
    // first: every append and every count asks for two.
    using Labels = std::set<std::string, std::less<>>;

    static std::string_view heldLabel(Labels& labels, std::string_view label);

    const Slot& slot(uint32_t number) const { return chunks_[number / kChunkSlots][number % kChunkSlots]; }
    Slot& slot(uint32_t number) { return chunks_[number / kChunkSlots][number % kChunkSlots]; }
    uint32_t takeSlot();
    void freeSlot(uint32_t number);
    void growOrderArray();

    static constexpr std::size_t kNoGroup = SIZE_MAX;

    bool heldKey(const StationKey& key, HeldKey& held) const;
    static HeldKey keyOf(const CInfo& record);
    static uint32_t hashOf(const HeldKey& key);
    std::size_t groupIndex(const HeldKey& key) const;
    Group& groupFor(const HeldKey& key);
    void makeRoomForGroup();
    void dropGroup(std::size_t at);
    uint32_t hoursOf(const Group& group) const;
    void unlink(std::size_t groupAt, uint32_t number, uint32_t newer);

    static constexpr uint32_t kChunkSlots = 256;

    std::vector<std::unique_ptr<Slot[]>> chunks_;
    uint32_t slotsInUse_ = 0;  // slots ever handed out from the chunks
    uint32_t freeSlots_ = kNoSlot;
    std::vector<uint32_t> order_;
    uint64_t nextLogSequence_ = 0;
    Labels bands_;
    Labels modes_;
    std::vector<Group> groups_;  // open addressing, linear probing
    std::size_t groupCount_ = 0;
};

// The records in log order.
class QsoLog::Iterator {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = CInfo;
    using difference_type = std::ptrdiff_t;
    using pointer = const CInfo*;
    using reference = const CInfo&;

    Iterator(const QsoLog& log, std::vector<uint32_t>::const_iterator at) : log_(&log), at_(at) {}
    const CInfo& operator*() const { return log_->slot(*at_).record; }
    const CInfo* operator->() const { return &**this; }
    Iterator& operator++()
    {
        ++at_;
        return *this;
    }
    Iterator operator++(int)
    {
        Iterator before = *this;
        ++at_;
        return before;
    }
    bool operator==(const Iterator& other) const { return at_ == other.at_; }
    bool operator!=(const Iterator& other) const { return at_ != other.at_; }

private:
    const QsoLog* log_;
    std::vector<uint32_t>::const_iterator at_;
};

inline QsoLog::Iterator QsoLog::begin() const { return {*this, order_.begin()}; }
inline QsoLog::Iterator QsoLog::end() const { return {*this, order_.end()}; }

using BandList = std::vector<std::string>;

// Appends the band unless the list holds it already (exact comparison).
void noteBand(BandList& bands, const std::string& band);
