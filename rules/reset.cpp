#include "rules/reset.h"

namespace {

void resetBandTable(BandTable& table)
{
    for (std::size_t row = 0; row < table.size(); ++row)
        table[row] = {kTableBandNames[row], "-", "-", "-"};
}

// "Start" alternates between runs of the host: a run that opens the panel
// leaves "1", so the next reset (often the host replaying its log) leaves
// the panel alone and sets "0" again.
void toggleModePanel(ContestState& state, Platform& platform, std::unique_lock<std::mutex>& entry)
{
    Settings& settings = platform.settings();
    state.startFlag = settings.readNumber("Start");
    if (state.startFlag != 0) {
        settings.write("Start", "0");
    } else if (!platform.isModePanelOpen()) {
        whileUnlocked(entry, [&] { platform.showModePanel(); });
        settings.write("Start", "1");
    }
}

}  // namespace

void beginContestRun(ContestState& state, const ResetArgs& args)
{
    state.startDateText = args.contestStart.format("%d.%m");
    state.endDateText = args.contestEnd.format("%d.%m.%Y");
    {
        std::lock_guard<std::mutex> guard(state.lock);
        state.contestYearText = args.contestEnd.format("%Y");
        resetBandTable(state.bandTable);
        state.log.clear();
        state.bands.clear();
    }
    state.ownCallsign = args.ownCallsign;
    state.exportFlag = args.exportFlag;
    state.ownCountryPrefix = args.ownCountryPrefix;
}

void resetContest(ContestState& state, const ErrorLog& errors, CCabrilloLog& cabrillo, Platform& platform,
                  const ResetArgs& args, std::unique_lock<std::mutex>& entry)
{
    beginContestRun(state, args);
    errors.restart(kErrorLogHeader);

    if (state.exportFlag != 0) {
        if (!cabrillo.EditHeader(state.ownCallsign, platform, entry))
            state.exportFlag = 0;
        platform.settings().write("Start", "1");
    }
    toggleModePanel(state, platform, entry);
}
