#include "contest/qso.h"

#include <algorithm>
#include <functional>

namespace {

uint32_t hourBit(const OleDateTime& time)
{
    const int hour = time.hour();
    return hour >= 0 ? uint32_t{1} << hour : 0;
}

void combineHash(std::size_t& hash, const void* label)
{
    hash ^= std::hash<const void*>()(label) + 0x9e3779b9u + (hash << 6) + (hash >> 2);
}

}  // namespace

// The log's copy of the label, made on its first use only: a refill asks
// for the same two or three labels on every append.
std::string_view QsoLog::heldLabel(Labels& labels, std::string_view label)
{
    const auto held = labels.find(label);
    return held != labels.end() ? *held : *labels.emplace(label).first;
}

void QsoLog::append(CInfo record)
{
    // Everything that may throw comes first, up to taking a slot; nothing
    // after it can.
    record.band = heldLabel(bands_, record.band);
    record.mode = heldLabel(modes_, record.mode);
    growOrderArray();
    makeRoomForGroup();
    const uint32_t number = takeSlot();

    Slot& stored = slot(number);
    stored.record = std::move(record);
    stored.logSequence = nextLogSequence_++;
    Group& group = groupFor(keyOf(stored.record));
    stored.older = group.newest;
    group.newest = number;
    ++group.count;
    group.hours |= hourBit(stored.record.time);
    order_.push_back(number);
}

bool QsoLog::removeFirst(const StationKey& key, const OleDateTime& time)
{
    HeldKey held;
    const std::size_t at = heldKey(key, held) ? groupIndex(held) : kNoGroup;
    if (at == kNoGroup)
        return false;
    // Newest first, so the first match in log order is the last one met.
    uint32_t match = kNoSlot, matchNewer = kNoSlot;
    for (uint32_t newer = kNoSlot, number = groups_[at].newest; number != kNoSlot;
         newer = number, number = slot(number).older) {
        if (slot(number).record.time == time) {
            match = number;
            matchNewer = newer;
        }
    }
    if (match == kNoSlot)
        return false;

    unlink(at, match, matchNewer);
    const uint64_t sequence = slot(match).logSequence;
    order_.erase(std::lower_bound(order_.begin(), order_.end(), sequence, [this](uint32_t number, uint64_t value) {
        return slot(number).logSequence < value;
    }));
    freeSlot(match);
    return true;
}

void QsoLog::clear()
{
    *this = QsoLog();
}

std::size_t QsoLog::countOf(const StationKey& key) const
{
    HeldKey held;
    const std::size_t at = heldKey(key, held) ? groupIndex(held) : kNoGroup;
    return at == kNoGroup ? 0 : groups_[at].count;
}

bool QsoLog::heldInHour(const StationKey& key, int hour) const
{
    HeldKey held;
    const std::size_t at = heldKey(key, held) ? groupIndex(held) : kNoGroup;
    return at != kNoGroup && hour >= 0 && hour < 24 && (groups_[at].hours >> hour & 1) != 0;
}

std::vector<const CInfo*> QsoLog::latestPerMode(std::string_view workedCallsign, std::string_view band) const
{
    const auto heldBand = bands_.find(band);
    if (heldBand == bands_.end())
        return {};
    std::vector<const Slot*> latest;
    for (const std::string& mode : modes_) {
        const std::size_t at = groupIndex({workedCallsign, heldBand->data(), mode.data()});
        if (at != kNoGroup)
            latest.push_back(&slot(groups_[at].newest));
    }
    std::sort(latest.begin(), latest.end(),
              [](const Slot* a, const Slot* b) { return a->logSequence < b->logSequence; });
    std::vector<const CInfo*> records;
    for (const Slot* stored : latest)
        records.push_back(&stored->record);
    return records;
}

uint32_t QsoLog::takeSlot()
{
    if (freeSlots_ != kNoSlot) {
        const uint32_t number = freeSlots_;
        freeSlots_ = slot(number).older;
        return number;
    }
    if (slotsInUse_ == chunks_.size() * kChunkSlots)
        chunks_.push_back(std::make_unique<Slot[]>(kChunkSlots));
    return slotsInUse_++;
}

void QsoLog::freeSlot(uint32_t number)
{
    Slot& freed = slot(number);
    {
        // Moved out and dropped, the texts give their storage back; a plain
        // assignment of empty texts would keep it.
        const CInfo released = std::move(freed.record);
    }
    freed.record = CInfo();
    freed.older = freeSlots_;
    freeSlots_ = number;
}

void QsoLog::growOrderArray()
{
    const std::size_t count = order_.size();
    if (count == order_.capacity())
        order_.reserve(count == 0 ? 1 : count + std::clamp<std::size_t>(count / 8, 4, 1024));
}

bool QsoLog::heldKey(const StationKey& key, HeldKey& held) const
{
    const auto band = bands_.find(key.band);
    const auto mode = modes_.find(key.mode);
    if (band == bands_.end() || mode == modes_.end())
        return false;
    held = {key.workedCallsign, band->data(), mode->data()};
    return true;
}

QsoLog::HeldKey QsoLog::keyOf(const CInfo& record)
{
    return {record.workedCallsign, record.band.data(), record.mode.data()};
}

uint32_t QsoLog::hashOf(const HeldKey& key)
{
    std::size_t hash = std::hash<std::string_view>()(key.workedCallsign);
    combineHash(hash, key.band);
    combineHash(hash, key.mode);
    return static_cast<uint32_t>(hash);
}

std::size_t QsoLog::groupIndex(const HeldKey& key) const
{
    if (groups_.empty())
        return kNoGroup;
    const std::size_t mask = groups_.size() - 1;
    const uint32_t hash = hashOf(key);
    for (std::size_t at = hash & mask; groups_[at].count != 0; at = (at + 1) & mask) {
        if (groups_[at].hash != hash)
            continue;
        const CInfo& newest = slot(groups_[at].newest).record;
        if (newest.band.data() == key.band && newest.mode.data() == key.mode &&
            newest.workedCallsign == key.workedCallsign)
            return at;
    }
    return kNoGroup;
}

// Needs the room that makeRoomForGroup() made.
QsoLog::Group& QsoLog::groupFor(const HeldKey& key)
{
    const std::size_t found = groupIndex(key);
    if (found != kNoGroup)
        return groups_[found];
    const std::size_t mask = groups_.size() - 1;
    const uint32_t hash = hashOf(key);
    std::size_t at = hash & mask;
    while (groups_[at].count != 0)
        at = (at + 1) & mask;
    ++groupCount_;
    groups_[at].hash = hash;
    return groups_[at];
}

// Keeps the table at most three quarters full, so probes stay short and
// always meet an empty place.
void QsoLog::makeRoomForGroup()
{
    if ((groupCount_ + 1) * 4 <= groups_.size() * 3)
        return;
    std::vector<Group> table(std::max<std::size_t>(16, groups_.size() * 2));
    const std::size_t mask = table.size() - 1;
    for (const Group& group : groups_) {
        if (group.count == 0)
            continue;
        std::size_t at = group.hash & mask;
        while (table[at].count != 0)
            at = (at + 1) & mask;
        table[at] = group;
    }
    groups_.swap(table);
}

// Closes the gap the emptied group at `at` leaves, so that no probe for a
// later group stops short at it.
void QsoLog::dropGroup(std::size_t at)
{
    const std::size_t mask = groups_.size() - 1;
    std::size_t hole = at;
    for (std::size_t next = (hole + 1) & mask; groups_[next].count != 0; next = (next + 1) & mask) {
        // A group may move back into the hole unless its home lies after
        // the hole, cyclically, up to where it sits now.
        const std::size_t home = groups_[next].hash & mask;
        if (((next - home) & mask) >= ((next - hole) & mask)) {
            groups_[hole] = groups_[next];
            hole = next;
        }
    }
    groups_[hole] = Group();
    --groupCount_;
}

uint32_t QsoLog::hoursOf(const Group& group) const
{
    uint32_t hours = 0;
    for (uint32_t number = group.newest; number != kNoSlot; number = slot(number).older)
        hours |= hourBit(slot(number).record.time);
    return hours;
}

void QsoLog::unlink(std::size_t groupAt, uint32_t number, uint32_t newer)
{
    Group& group = groups_[groupAt];
    const uint32_t older = slot(number).older;
    if (newer == kNoSlot)
        group.newest = older;
    else
        slot(newer).older = older;
    if (--group.count == 0)
        dropGroup(groupAt);
    else
        group.hours = hoursOf(group);
}

void noteBand(BandList& bands, const std::string& band)
{
    if (std::find(bands.begin(), bands.end(), band) == bands.end())
        bands.push_back(band);
}
