#include "checker/qso_record.h"

#include <cstring>
#include <stdexcept>

QsoRecord::QsoRecord(const LoggedQso& qso, std::string_view countryPrefix, std::string_view text)
    : line(qso.line), frequencyHz(qso.frequencyHz)
{
    setTime(qso.time);
    hold({qso.ownCallsign, qso.workedCallsign, qso.band, qso.mode, qso.rstSent, qso.exchangeSent, qso.rstReceived,
          qso.exchangeReceived, countryPrefix, text});
}

QsoRecord::QsoRecord(int lineInFile, std::string_view text) : line(lineInFile)
{
    Texts texts{};
    texts[kText] = text;
    hold(texts);
}

QsoRecord::QsoRecord(const QsoRecord& other) : line(other.line), frequencyHz(other.frequencyHz)
{
    setTime(other.time());
    Texts texts;
    for (std::size_t i = 0; i < kFieldCount; ++i)
        texts[i] = other.field(static_cast<Field>(i));
    hold(texts);
}

QsoRecord& QsoRecord::operator=(const QsoRecord& other)
{
    if (this != &other)
        *this = QsoRecord(other);
    return *this;
}

void QsoRecord::setTime(const CivilTime& time)
{
    const auto small = [](int value) { return value >= 0 && value <= UINT8_MAX; };
    if (time.year < INT16_MIN || time.year > INT16_MAX || !small(time.month) || !small(time.day) || !small(time.hour) ||
        !small(time.minute) || !small(time.second))
        throw std::out_of_range("a QSO time beyond any a log can hold");
    year_ = static_cast<int16_t>(time.year);
    month_ = static_cast<uint8_t>(time.month);
    day_ = static_cast<uint8_t>(time.day);
    hour_ = static_cast<uint8_t>(time.hour);
    minute_ = static_cast<uint8_t>(time.minute);
    second_ = static_cast<uint8_t>(time.second);
}

void QsoRecord::hold(const Texts& texts)
{
    uint64_t size = 0;
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        size += texts[i].size();
        if (size > UINT32_MAX)
            throw std::length_error("a QSO line of more than 4 GB");
        ends_[i] = static_cast<uint32_t>(size);
    }
    chars_.reset(size > 0 ? new char[size] : nullptr);
    for (std::size_t i = 0; i < kFieldCount; ++i)
        if (!texts[i].empty())
            std::memcpy(chars_.get() + ends_[i] - texts[i].size(), texts[i].data(), texts[i].size());
}

LoggedQso QsoRecord::logged() const
{
    const auto text = [](std::string_view field) { return std::string(field); };
    return {line,
            text(ownCallsign()),
            text(workedCallsign()),
            frequencyHz,
            text(band()),
            text(mode()),
            time(),
            text(rstSent()),
            text(exchangeSent()),
            text(rstReceived()),
            text(exchangeReceived())};
}
