#include "checker/log_intake.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "logfile/text.h"

namespace {

LogCheck readLog(const LogInput& file, const CountryPrefixes& countries, std::optional<Message>& note)
{
    // No period: it would leave out the lines logged outside it, and a clock
    // off by hours logs real QSOs there.  The period is applied once the
    // clocks are corrected.  No results text: the cross-check reports none.
    PrecheckOptions wholeLog;
    wholeLog.results = false;
    LogCheck log = precheckLog(file.bytes, file.fileName, countries, wholeLog);
    const std::string call = callOfTheQsoLines(log);
    if (log.state != LogState::Checked || call.empty())
        return log;
    const Message said{MessageId::HeaderCallContradicted, {log.callsign, call, call}};
    PrecheckOptions asSent = wholeLog;
    asSent.ownCallsign = call;
    log = precheckLog(file.bytes, file.fileName, countries, asSent);
    log.headerProblems.push_back(said);
    note = Message{MessageId::NoteOnFile, {file.fileName}, {said}};
    return log;
}

LogCheck unreadable(const std::string& fileName, const std::exception& error)
{
    LogCheck log;
    log.fileName = fileName;
    log.state = LogState::NotALog;
    log.stateReason = Message{MessageId::CouldNotBeRead, {error.what()}};
    return log;
}

Message qsoLinesOf(const LogCheck& log)
{
    if (log.qsos.size() == 1)
        return {MessageId::FileWithOneQsoLine, {log.fileName}};
    return {MessageId::FileWithQsoLines, {log.fileName, std::to_string(log.qsos.size())}};
}

// logs[indices] are the CHECKED logs of one call, in file order.
void keepOne(std::vector<LogCheck>& logs, const std::vector<std::size_t>& indices,
             const std::vector<std::string>& chosenFiles, std::vector<Message>& notes)
{
    const auto chosen = std::find_if(indices.begin(), indices.end(), [&](std::size_t i) {
        return std::find(chosenFiles.begin(), chosenFiles.end(), logs[i].fileName) != chosenFiles.end();
    });
    std::size_t kept = indices.front();
    for (std::size_t i : indices)
        if (logs[i].qsos.size() >= logs[kept].qsos.size())
            kept = i;
    const bool byChoice = chosen != indices.end();
    if (byChoice)
        kept = *chosen;
    Message note{MessageId::LogsFromOneCall, {std::to_string(indices.size()), logs[kept].callsign}};
    for (std::size_t i : indices) {
        if (i != indices.front())
            note.then.push_back({MessageId::ListSeparator});
        note.then.push_back(qsoLinesOf(logs[i]));
    }
    note.then.push_back({byChoice ? MessageId::KeptByChoice : MessageId::KeptTheLongest, {logs[kept].fileName}});
    notes.push_back(std::move(note));
    for (std::size_t i : indices)
        if (i != kept) {
            logs[i].state = LogState::Superseded;
            logs[i].stateReason = Message{MessageId::AnotherLogChecked, {logs[kept].callsign, logs[kept].fileName}};
        }
}

}  // namespace

std::string callOfTheQsoLines(const LogCheck& log)
{
    std::map<std::string, int> sentBy;
    int lines = 0;
    for (const JudgedQso& judged : log.qsos)
        if (judged.readable && !judged.qso.ownCallsign().empty()) {
            ++sentBy[std::string(judged.qso.ownCallsign())];
            ++lines;
        }
    for (const auto& [call, count] : sentBy)
        if (count * 2 > lines && call != log.callsign)
            return call;
    return {};
}

ReadLogs readLogs(std::vector<LogInput>& files, const CountryPrefixes& countries, const CheckProgress& progress)
{
    ReadLogs read;
    read.logs.resize(files.size());
    std::vector<std::optional<Message>> callNotes(files.size());
    std::atomic<std::size_t> next{0};
    std::size_t done = 0;
    std::mutex progressLock;
    const auto readFiles = [&] {
        for (std::size_t i; (i = next++) < files.size();) {
            try {
                read.logs[i] = readLog(files[i], countries, callNotes[i]);
            } catch (const std::exception& error) {
                read.logs[i] = unreadable(files[i].fileName, error);
            }
            std::string().swap(files[i].bytes);
            std::lock_guard<std::mutex> guard(progressLock);
            ++done;
            if (progress)
                progress(done, files.size());
        }
    };
    // The logs are read side by side; everything after needs them all.
    std::vector<std::thread> workers;
    const unsigned helpers = std::min<unsigned>(std::max(1u, std::thread::hardware_concurrency()), 8) - 1;
    for (unsigned i = 0; i < helpers && i + 1 < files.size(); ++i)
        workers.emplace_back(readFiles);
    readFiles();
    for (std::thread& worker : workers)
        worker.join();
    for (std::optional<Message>& note : callNotes)
        if (note)
            read.notes.push_back(std::move(*note));
    return read;
}

void keepOneLogPerCall(std::vector<LogCheck>& logs, const std::vector<std::string>& chosenFiles,
                       std::vector<Message>& notes)
{
    std::map<std::string, std::vector<std::size_t>> byCall;
    for (std::size_t i = 0; i < logs.size(); ++i)
        if (logs[i].state == LogState::Checked)
            byCall[logs[i].callsign].push_back(i);
    for (const auto& [call, indices] : byCall)
        if (indices.size() > 1)
            keepOne(logs, indices, chosenFiles, notes);
    for (const std::string& chosen : chosenFiles)
        if (std::none_of(logs.begin(), logs.end(), [&](const LogCheck& log) { return log.fileName == chosen; }))
            notes.push_back({MessageId::NoLogFileNamed, {chosen}});
}
