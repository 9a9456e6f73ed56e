// Any sequence of the host's calls through the entry points the DLL uses:
// adds, removals, call checks, results, resets and panel commands with any
// texts, dates and statuses, while the disk fills up at any moment.  After
// every call: the log is what a plain model of the rules holds, a results
// text is well formed with score = points * multipliers, a warning fits its
// buffer, and no file holds part of a line or part of a write.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <limits>
#include <vector>

#include "contest/profile_file.h"
#include "contest/memory_file_system.h"
#include "plugin/entry_points.h"
#include "rules/call_check.h"
#include "support/failing_file_system.h"

namespace {

void check(bool holds)
{
    if (!holds)
        std::abort();
}

class FuzzPlatform final : public Platform {
public:
    explicit FuzzPlatform(FuzzedDataProvider& input) : input_(input) {}

    Settings& settings() override { return settings_; }
    FileSystem& files() override { return disk; }
    std::time_t currentTime() const override { return now; }
    void showOutput(const std::string& message) override { output = message; }
    bool editCabrilloHeader(CabrilloHeader& header) override
    {
        header.callsign = input_.ConsumeRandomLengthString(16);
        header.soapbox = input_.ConsumeRandomLengthString(40);
        return input_.ConsumeBool();
    }
    std::string hostVersionText() override { return "2.19"; }
    bool isModePanelOpen() const override { return panelOpen; }
    void showModePanel() override { panelOpen = true; }
    void closeWindows() override { panelOpen = false; }
    void stopMultiplierRefresh() override {}
    void postponeMultiplierRefresh() override {}

    MemoryFileSystem memory;
    FailingFileSystem disk{memory};
    std::time_t now = 0;
    std::string output;
    bool panelOpen = false;

private:
    FuzzedDataProvider& input_;
    ProfileFile settings_{disk, "Plugins/ZEMRIX.ini", "Settings"};
};

// Texts come mostly from the contest's own words, so that QSOs match, reject
// and duplicate each other; now and then any bytes, or a null pointer.
class Texts {
public:
    explicit Texts(FuzzedDataProvider& input) : input_(input) {}

    const char* pick(std::initializer_list<const char*> words)
    {
        switch (input_.ConsumeIntegralInRange(0, 7)) {
        case 0: return nullptr;
        case 1: return keep(input_.ConsumeRandomLengthString(24));
        default: return words.begin()[input_.ConsumeIntegralInRange<std::size_t>(0, words.size() - 1)];
        }
    }

    const HostDateTime* date()
    {
        switch (input_.ConsumeIntegralInRange(0, 3)) {
        case 0: return nullptr;
        case 1: dates_.push_back({input_.ConsumeFloatingPoint<double>(), input_.ConsumeIntegral<int32_t>()}); break;
        default: dates_.push_back({42169.0 + input_.ConsumeIntegralInRange(0, 95) / 96.0, 0}); break;
        }
        return &dates_.back();
    }

private:
    const char* keep(std::string text)
    {
        kept_.push_back(std::move(text));
        return kept_.back().c_str();
    }

    FuzzedDataProvider& input_;
    std::deque<std::string> kept_;  // a deque: what the host was handed never moves
    std::deque<HostDateTime> dates_;
};

std::string text(const char* hostText) { return hostText ? hostText : ""; }

// The rules in their plainest form, the model the log must follow.
class LogModel {
public:
    void add(const HostQso& qso)
    {
        const std::string band = text(qso.band), mode = text(qso.mode);
        const bool rejectedBand = band == "160m" || band == "30m" || band == "20m" || band == "17m" ||
                                  band == "15m" || band == "12m" || band == "10m";
        if (!rejectedBand && (mode == "CW" || mode == "SSB") && !text(qso.exchangeSent).empty() &&
            !text(qso.exchangeReceived).empty())
            records_.push_back({text(qso.workedCallsign), band, mode, time(qso)});
    }

    void remove(const HostQso& qso)
    {
        if (text(qso.exchangeSent).empty() || text(qso.exchangeReceived).empty())
            return;
        const Record wanted{text(qso.workedCallsign), text(qso.band), text(qso.mode), time(qso)};
        const auto match = std::find_if(records_.begin(), records_.end(), [&](const Record& r) {
            return r.callsign == wanted.callsign && r.band == wanted.band && r.mode == wanted.mode &&
                   r.time == wanted.time;
        });
        if (match != records_.end())
            records_.erase(match);
    }

    void clear() { records_.clear(); }

    bool matches(const QsoLog& log) const
    {
        return log.size() == records_.size() &&
               std::equal(log.begin(), log.end(), records_.begin(), [](const CInfo& real, const Record& model) {
                   return real.workedCallsign == model.callsign && real.band == model.band && real.mode == model.mode;
               });
    }

private:
    struct Record {
        std::string callsign, band, mode;
        OleDateTime time;
    };

    static OleDateTime time(const HostQso& qso)
    {
        return qso.time ? OleDateTime{qso.time->date, qso.time->status} : OleDateTime::null();
    }

    std::vector<Record> records_;
};

void checkResults(const std::string& results)
{
    check(results.rfind("\tZEMRIX CONTEST ", 0) == 0);
    const std::size_t score = results.rfind("\r\nScore: ");
    check(score != std::string::npos && results.find("\r\nTotal\t ") < score);
    long long points = 0, multipliers = 0, claimed = 0;
    char end[3] = {};
    check(std::sscanf(results.c_str() + score, "\r\nScore: %lld*%lld = %lld%2c", &points, &multipliers, &claimed,
                      end) == 4);
    check(std::strcmp(end, "\r\n") == 0);
    const long long product = std::clamp<long long>(points * multipliers, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max());
    check(claimed == product);
}

// No file is left with part of a line, and no temporary file survives.
void checkFiles(const MemoryFileSystem& memory)
{
    for (const auto& [path, bytes] : memory.files) {
        check(path.size() < 4 || path.compare(path.size() - 4, 4, ".tmp") != 0);
        check(bytes.empty() || (bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0));
        if (path.size() >= 4 && path.compare(path.size() - 4, 4, ".cbr") == 0)
            check(bytes.rfind("START-OF-LOG: 3.0\r\n", 0) == 0 &&
                  bytes.compare(bytes.size() - 13, 13, "END-OF-LOG:\r\n") == 0);
    }
}

HostQso hostQso(Texts& texts)
{
    HostQso qso;
    qso.ownCallsign = texts.pick({"UA3XYZ"});
    qso.workedCallsign = texts.pick({"K1ABC", "UA3RAB", "QZ3ZAA", ""});
    qso.time = texts.date();
    qso.frequencyHz = 3512000;
    qso.mode = texts.pick({"CW", "SSB", "RTTY", "cw"});
    qso.rstSent = texts.pick({"599"});
    qso.rstReceived = texts.pick({"579"});
    qso.exchangeSent = texts.pick({"001", ""});
    qso.exchangeReceived = texts.pick({"12", ""});
    qso.countryPrefix = texts.pick({"UA", "UA9", "IT9", "K"});
    qso.band = texts.pick({"80m", "40m", "17m", "160m", "6m", ""});
    return qso;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    FuzzPlatform platform(input);
    Texts texts(input);
    EntryPoints entries(platform);
    LogModel model;

    for (int call = 0; call < 64 && input.remaining_bytes() > 0; ++call) {
        switch (input.ConsumeIntegralInRange(0, 7)) {
        case 0: {
            const HostQso qso = hostQso(texts);
            entries.addData(qso);
            model.add(qso);
            break;
        }
        case 1: {
            const HostQso qso = hostQso(texts);
            entries.removeData(qso);
            model.remove(qso);
            break;
        }
        case 2: {
            // Exactly the host's buffer, so that a byte past it is caught.
            std::vector<char> message(kWarningBufferSize, '#');
            if (entries.checkCall(texts.pick({"K1ABC", "UA3RAB"}), texts.pick({"CW", "SSB"}),
                                  texts.pick({"80m", "40m"}), message.data()) == 0)
                check(std::memchr(message.data(), '\0', message.size()) != nullptr);
            break;
        }
        case 3:
            checkResults(entries.getResult(nullptr, input.ConsumeIntegralInRange<CallerId>(1, 20)));
            break;
        case 4:
            entries.resetStats(input.ConsumeIntegral<int>(), texts.pick({"UA3XYZ", "COM1.log", " ", ""}),
                               texts.date(), texts.date(), texts.pick({"UA", "DL"}));
            model.clear();
            break;
        case 5: entries.runCommand(texts.pick({"SHOWINFO", "HIDEINFO"})); break;
        case 6:
            platform.disk.spaceLeft = input.ConsumeBool() ? std::optional<std::size_t>{}
                                                           : input.ConsumeIntegral<uint16_t>();
            break;
        case 7: platform.now = input.ConsumeIntegral<int64_t>() % (400LL * 366 * 86400); break;
        }
        check(model.matches(entries.state().log));
        checkFiles(platform.memory);
    }
    return 0;
}
