// Reads an ADIF (.adi) log.
//
// Fields used: CALL, BAND and/or FREQ (MHz), MODE (USB and LSB count as SSB),
// QSO_DATE, TIME_ON, RST_SENT, RST_RCVD, STX_STRING or else STX, SRX_STRING
// or else SRX, and STATION_CALLSIGN or else OPERATOR as the own callsign.
// Whatever stands before <EOH> is the header and is read past.  BAND, when
// present, names the band; otherwise FREQ decides it.  A record without FREQ
// is replayed with frequency 0.
//
// A record that cannot be read (no CALL, no band, a bad date, a field whose
// length runs past the file, a record left open at the end) is skipped with
// the line of its first field and the reason.
#pragma once

#include <istream>
#include <string>

#include "contest_log.h"

ContestLog readAdifLog(std::istream& in, const std::string& fileName);
