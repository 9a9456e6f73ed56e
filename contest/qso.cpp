#include "contest/qso.h"

#include <algorithm>

void QsoLog::append(CInfo record)
{
    const std::size_t count = records_.size();
    if (count == records_.capacity()) {
        const std::size_t step = std::clamp<std::size_t>(count / 8, 4, 1024);
        records_.reserve(count == 0 ? 1 : count + step);
    }
    records_.push_back(std::move(record));
}

void QsoLog::removeAt(std::size_t index)
{
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
}

void QsoLog::clear()
{
    std::vector<CInfo>().swap(records_);
}

void noteBand(BandList& bands, const std::string& band)
{
    if (std::find(bands.begin(), bands.end(), band) == bands.end())
        bands.push_back(band);
}
