// One accepted QSO, the QSO log that holds them in the order the host added
// them, and the band list of labels seen so far.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "contest/ole_date.h"

struct CInfo {
    std::string workedCallsign;
    std::string countryPrefix;
    std::string band;
    std::string mode;
    std::string rstReceived;
    std::string rstSent;
    std::string exchangeReceived;
    std::string exchangeSent;
    std::string multiplierKey;
    int32_t frequencyKhz = 0;
    int32_t isDuplicate = 0;
    OleDateTime time;
};

// The contiguous record array.  It grows by an eighth of its size (at least 4,
// at most 1024 records at a time) so that a log refilled QSO by QSO after
// every reset neither reallocates on each append nor doubles past need.
class QsoLog {
public:
    std::size_t size() const { return records_.size(); }
    bool empty() const { return records_.empty(); }
    std::size_t capacity() const { return records_.capacity(); }
    const CInfo& operator[](std::size_t index) const { return records_[index]; }
    const CInfo& back() const { return records_.back(); }
    auto begin() const { return records_.begin(); }
    auto end() const { return records_.end(); }

    void append(CInfo record);
    void removeAt(std::size_t index);
    void clear();

private:
    std::vector<CInfo> records_;
};

using BandList = std::vector<std::string>;

// Appends the band unless the list holds it already (exact comparison).
void noteBand(BandList& bands, const std::string& band);
