// One QSO line as the checker holds it while the whole contest is checked:
// a contest has a million, so a line's texts share one allocation, read
// through views, and its numbers sit inline.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "logfile/contest_log.h"

class QsoRecord {
public:
    QsoRecord() = default;
    // `text` is the line as it stands in the file; `countryPrefix` the
    // worked station's, from cty.dat.
    QsoRecord(const LoggedQso& qso, std::string_view countryPrefix, std::string_view text);
    // A line the reader could not read: its number and text alone.
    QsoRecord(int line, std::string_view text);
    QsoRecord(const QsoRecord& other);
    QsoRecord& operator=(const QsoRecord& other);
    QsoRecord(QsoRecord&&) noexcept = default;
    QsoRecord& operator=(QsoRecord&&) noexcept = default;

    int line = 0;  // where the QSO stands in its file, from 1
    uint32_t frequencyHz = 0;

    CivilTime time() const { return {year_, month_, day_, hour_, minute_, second_}; }

    std::string_view ownCallsign() const { return field(kOwnCallsign); }
    std::string_view workedCallsign() const { return field(kWorkedCallsign); }
    std::string_view band() const { return field(kBand); }
    std::string_view mode() const { return field(kMode); }
    std::string_view rstSent() const { return field(kRstSent); }
    std::string_view exchangeSent() const { return field(kExchangeSent); }
    std::string_view rstReceived() const { return field(kRstReceived); }
    std::string_view exchangeReceived() const { return field(kExchangeReceived); }
    std::string_view countryPrefix() const { return field(kCountryPrefix); }
    std::string_view text() const { return field(kText); }

    // The QSO as the readers give it, to be played through the rules again.
    LoggedQso logged() const;

private:
    enum Field {
        kOwnCallsign,
        kWorkedCallsign,
        kBand,
        kMode,
        kRstSent,
        kExchangeSent,
        kRstReceived,
        kExchangeReceived,
        kCountryPrefix,
        kText,
        kFieldCount
    };
    using Texts = std::array<std::string_view, kFieldCount>;

    void hold(const Texts& texts);
    void setTime(const CivilTime& time);
    std::string_view field(Field which) const
    {
        const uint32_t begin = which == 0 ? 0 : ends_[which - 1];
        return {chars_.get() + begin, ends_[which] - begin};
    }

    // The readers read a year of four digits, and two for the rest.
    int16_t year_ = 0;
    uint8_t month_ = 0, day_ = 0, hour_ = 0, minute_ = 0, second_ = 0;
    std::unique_ptr<char[]> chars_;
    std::array<uint32_t, kFieldCount> ends_{};
};
