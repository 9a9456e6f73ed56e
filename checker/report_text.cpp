#include "checker/report_text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>

#include "checker/standings.h"

std::string validUtf8(std::string_view text)
{
    static const auto kPlain = [] {
        std::array<bool, 256> plain{};
        for (int c = 0x20; c < 0x80; ++c)
            plain[c] = true;
        plain['\t'] = plain['\r'] = plain['\n'] = true;
        return plain;
    }();
    std::string out;
    out.reserve(text.size());
    appendValidUtf8(out, text, [](char c) { return kPlain[static_cast<unsigned char>(c)]; },
                    [](char) -> const char* { return nullptr; });
    return out;
}

std::size_t keptCharacterLength(std::string_view text, std::size_t at)
{
    const auto byteAt = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    const unsigned char lead = byteAt(0);
    if (lead < 0x80)
        return lead >= 0x20 || lead == '\t' || lead == '\r' || lead == '\n' ? 1 : 0;
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                              : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    // The second byte's range leaves out the overlong forms, the UTF-16
    // surrogates and what lies past U+10FFFF: none of them is UTF-8.
    const unsigned char lowest = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char highest = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (byteAt(1) < lowest || byteAt(1) > highest)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if ((byteAt(k) >> 6) != 0x2)
            return 0;
    return length;
}

std::string claimedScoreText(const LogCheck& log)
{
    return log.claimedScore ? std::to_string(*log.claimedScore) : "";
}

std::vector<std::size_t> rankedLogs(const CrossCheck& check)
{
    std::vector<std::size_t> checked, others;
    for (std::size_t i = 0; i < check.logs.size(); ++i)
        (check.logs[i].log.state == LogState::Checked ? checked : others).push_back(i);
    std::vector<std::size_t> order = inRankOrder(check, std::move(checked));
    order.insert(order.end(), others.begin(), others.end());
    return order;
}

std::string percent(std::size_t part, std::size_t whole)
{
    if (whole == 0)
        return "0%";
    const std::size_t tenths = (part * 1000 + whole / 2) / whole;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "%";
}

std::string reduction(const CheckedLog& checked)
{
    const std::optional<int64_t>& claim = checked.log.claimedScore;
    if (!claim || *claim <= 0)
        return {};
    const int64_t lost = std::max<int64_t>(0, *claim - checked.score.verifiedScore);
    return percent(static_cast<std::size_t>(lost), static_cast<std::size_t>(*claim));
}

std::string contestTitle(const ContestConfig& config)
{
    return config.start ? config.name + " " + std::to_string(config.start->year) : config.name;
}

std::vector<std::string> bandsOf(const CrossCheck& check, const std::vector<std::size_t>& logs)
{
    // Each log lists its bands in the rules' order; a band new to the list
    // goes right after the band before it in that log.
    std::vector<std::string> bands;
    for (std::size_t i : logs) {
        auto after = bands.begin();
        for (const BandScore& counted : check.logs[i].score.bands) {
            const auto known = std::find(bands.begin(), bands.end(), counted.band);
            after = known != bands.end() ? known + 1 : bands.insert(after, counted.band) + 1;
        }
    }
    return bands;
}

// A log's QSO lines in file order.
std::vector<std::size_t> inFileOrder(const LogCheck& log)
{
    std::vector<std::size_t> order(log.qsos.size());
    std::iota(order.begin(), order.end(), 0);
    const auto earlier = [&](std::size_t a, std::size_t b) { return log.qsos[a].qso.line < log.qsos[b].qso.line; };
    // Most logs are kept in file order already: one look then, not a sort.
    if (!std::is_sorted(order.begin(), order.end(), earlier))
        std::stable_sort(order.begin(), order.end(), earlier);
    return order;
}

std::string loggedTime(const JudgedQso& judged)
{
    std::string time;
    appendLoggedTime(time, judged);
    return time;
}

LoggedTime::LoggedTime(const JudgedQso& judged, bool colon)
{
    if (!judged.readable)
        return;
    const CivilTime time = judged.qso.time();
    const auto digits = [](int value, int count, char* at) {
        for (int i = count - 1; i >= 0; --i, value /= 10)
            at[i] = static_cast<char>('0' + value % 10);
    };
    std::memcpy(text_, "YYYY-MM-DD HH:MM", 16);
    digits(time.year, 4, text_);
    digits(time.month, 2, text_ + 5);
    digits(time.day, 2, text_ + 8);
    digits(time.hour, 2, text_ + 11);
    digits(time.minute, 2, text_ + 14);
    if (!colon) {  // "HHMM": the minute over the colon
        text_[13] = text_[14];
        text_[14] = text_[15];
    }
    size_ = colon ? 16 : 15;
}

// Russian, then English: what a status means to the participant.
std::string statusExplained(QsoStatus status)
{
    switch (status) {
    case QsoStatus::Nil: return Message{MessageId::StatusNil}.bilingual();
    case QsoStatus::BustedCall: return Message{MessageId::StatusBustedCall}.bilingual();
    case QsoStatus::BustedExch: return Message{MessageId::StatusBustedExch}.bilingual();
    case QsoStatus::Unique: return Message{MessageId::StatusUnique}.bilingual();
    case QsoStatus::Dupe: return Message{MessageId::StatusDupe}.bilingual();
    case QsoStatus::OutOfPeriod: return Message{MessageId::StatusOutOfPeriod}.bilingual();
    case QsoStatus::Rejected: return Message{MessageId::StatusRejected}.bilingual();
    default: return "";
    }
}

void appendVerdictDetails(std::string& out, const JudgedQso& judged, const QsoVerdict& verdict)
{
    static const std::string kCorrect = "; " + Message{MessageId::Correct}.bilingual() + ": ";
    const auto append = [&out](std::string_view before, std::string_view text, std::string_view after) {
        out.append(before).append(text).append(after);
    };
    if (!verdict.correction.empty())
        append(kCorrect, verdict.correction, "");
    if (verdict.status == QsoStatus::Nil)
        append(" (", judged.qso.workedCallsign(), ")");
    if (judged.rejection)
        append(" (", judged.rejection->bilingual(), ")");
}
