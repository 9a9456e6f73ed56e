// QSO dates and times as the log formats write them.
#pragma once

#include <stdexcept>
#include <string>

#include "contest/ole_date.h"
#include "messages/message_catalogue.h"

// Something wrong with one QSO line or record; the readers skip it and say
// why, in the reader's language.  what() is the English.
class QsoLineError : public std::runtime_error {
public:
    explicit QsoLineError(Message message) : std::runtime_error(message.english()), message_(std::move(message)) {}
    const Message& message() const { return message_; }

private:
    Message message_;
};

// A UTC time from a date such as "2025-12-20" (Cabrillo) or "20251220"
// (ADIF) and a time "2105" or "210530".  Throws QsoLineError naming the
// field for a text that is not a real calendar date or clock time.
CivilTime qsoTimeFromCabrillo(const std::string& date, const std::string& time);
CivilTime qsoTimeFromAdif(const std::string& date, const std::string& time);

// "YYYY-MM-DD" as a date at midnight; throws std::invalid_argument otherwise.
CivilTime dateFromIso(const std::string& date);
