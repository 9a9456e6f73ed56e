#include "robot/run_book.h"

namespace {

RunState stateNamed(const std::string& name)
{
    if (name == "running")
        return RunState::Running;
    return name == "done" ? RunState::Done : RunState::Failed;
}

}  // namespace

long long RunBook::begin(std::time_t at)
{
    // One statement, so the number read back is this insert's even while
    // another thread uses the connection.
    Statement insert(db_, "INSERT INTO runs(started_at, state) VALUES(?, 'running') RETURNING id");
    insert.bind(1, static_cast<long long>(at));
    insert.step();
    return insert.integer(0);
}

void RunBook::finish(long long run, std::time_t at, const std::string& folder)
{
    end(run, at, "done", folder, "");
}

void RunBook::fail(long long run, std::time_t at, const std::string& failure)
{
    end(run, at, "failed", "", failure);
}

void RunBook::end(long long run, std::time_t at, const char* state, const std::string& folder,
                  const std::string& failure)
{
    Statement update(db_, "UPDATE runs SET state = ?, finished_at = ?, folder = ?, failure = ? WHERE id = ?");
    update.bind(1, std::string(state));
    update.bind(2, static_cast<long long>(at));
    update.bind(3, folder);
    update.bind(4, failure);
    update.bind(5, run);
    update.step();
}

std::vector<RunRecord> RunBook::query(const std::string& where, long long parameter)
{
    const std::string sql =
        "SELECT id, COALESCE(folder, ''), state, started_at, COALESCE(finished_at, 0), failure FROM runs " + where;
    Statement select(db_, sql.c_str());
    if (sql.find('?') != std::string::npos)
        select.bind(1, parameter);
    std::vector<RunRecord> runs;
    while (select.step()) {
        RunRecord run;
        run.id = select.integer(0);
        run.folder = select.text(1);
        run.state = stateNamed(select.text(2));
        run.startedAt = static_cast<std::time_t>(select.integer(3));
        run.finishedAt = static_cast<std::time_t>(select.integer(4));
        run.failure = select.text(5);
        runs.push_back(run);
    }
    return runs;
}

namespace {

std::optional<RunRecord> first(const std::vector<RunRecord>& runs)
{
    if (runs.empty())
        return std::nullopt;
    return runs.front();
}

}  // namespace

std::optional<RunRecord> RunBook::find(long long run)
{
    return first(query("WHERE id = ?", run));
}

std::optional<RunRecord> RunBook::newest()
{
    return first(query("ORDER BY id DESC LIMIT 1", 0));
}

std::optional<RunRecord> RunBook::newestDone()
{
    return first(query("WHERE state = 'done' ORDER BY id DESC LIMIT 1", 0));
}

void RunBook::failInterrupted(std::time_t at, const std::string& failure)
{
    Statement update(db_, "UPDATE runs SET state = 'failed', finished_at = ?, failure = ? WHERE state = 'running'");
    update.bind(1, static_cast<long long>(at));
    update.bind(2, failure);
    update.step();
}
