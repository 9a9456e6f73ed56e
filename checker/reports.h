// The cross-check's files: the organiser's tables, each participant's report
// and one page of results.  Every text is UTF-8 whatever bytes the logs held.
#pragma once

#include <cstddef>
#include <string>

#include "checker/cross_check.h"

// qsos.csv: a header row, then one row per QSO line of every CHECKED log:
// log,line,time,band,mode,call,rcvd_exch,status,correct_call,correct_exch,
// matched_log,matched_line.  UTF-8, rows end in CR LF.
std::string qsosCsv(const CrossCheck& check);
// results.csv: one row per file.
std::string resultsCsv(const CrossCheck& check);
// The file name the participant's report gets in ubn/ ("UA3ABC_P.txt").
std::string participantReportName(const std::string& callsign);
// The file name of the participant's whole log in ubn/ ("UA3ABC_P.html").
std::string wholeLogPageName(const std::string& callsign);
// results.html: one page, no scripts, nothing fetched.
std::string resultsHtml(const CrossCheck& check);
// The committee's lists, a page beside results.html: busted calls with
// the correct call and who busted them, NILs, calls only one log holds.
inline constexpr char kCommitteeListsPage[] = "lists.html";
std::string committeeListsHtml(const CrossCheck& check);

// Writes qsos.csv, results.csv, results.json, ubn/*.txt and ubn/*.html
// (see participant_report.h), results.html and lists.html into `folder`,
// creating it.  Throws std::runtime_error naming a file that could not be
// written.
void writeReports(const CrossCheck& check, const std::string& folder);
