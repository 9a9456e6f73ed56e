// Reads a Cabrillo 3.0 log.
//
// Header lines: CALLSIGN: gives the own callsign; all of them are kept in
// the log's header list.  Tags, mode words and callsigns are read in any case.  QSO lines: frequency (kHz, or 50/70/144/222/432/902 for those
// bands in MHz), mode (CW, PH, RY, DG, FM), date YYYY-MM-DD, time HHMM, sent
// call, sent RST, sent exchange, received call, received RST, received
// exchange, and an optional transmitter number, ignored with one note for
// the file.  This contest's exchange is one
// word, so a line one word short is taken to lack the received exchange and
// is replayed so that Stats.dll judges it as the host would.
//
// X-QSO lines, which the log itself excludes, are counted and left out.  A
// line that cannot be read is skipped with its reason, as are lines after
// END-OF-LOG:.
#pragma once

#include <string>
#include <string_view>

#include "logfile/contest_log.h"

// `text` is the file's text, its lines ended by line feeds.
ContestLog readCabrilloLog(std::string_view text, const std::string& fileName);
