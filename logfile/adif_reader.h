// Reads an ADIF (.adi) log as its 3.1 rules have it.
//
// Data specifiers are <NAME:LENGTH[:TYPE]>DATA, <EOH> and <EOR>, in any
// case; LENGTH counts bytes.  Whatever else stands in the file, a '<' that
// begins no specifier included, is text and is read past; whatever stands
// before <EOH> is the header.  A field given twice in one record counts with
// its last value, and the line of the second one is warned about.
//
// Fields used: CALL, BAND and/or FREQ (MHz), MODE (USB and LSB count as SSB),
// QSO_DATE, TIME_ON, RST_SENT, RST_RCVD, STX_STRING or else STX, SRX_STRING
// or else SRX, and STATION_CALLSIGN or else OPERATOR as the own callsign.
// Callsigns, BAND and MODE are read without regard to case.  A record with
// BAND and no FREQ gets the band's designator frequency (3500 kHz for 80m).
// A FREQ that lies in no band (or outside the record's BAND) in MHz but does
// in kHz was plainly written in kHz and is read so, with one note for the
// file.
//
// A FREQ with a decimal comma ("3,527") is read as with a point, with one
// note for the file.  The last record may lack its <EOR>: it is read, with a
// warning.
//
// A record that cannot be read (no CALL, no band, a bad date or frequency, a
// TIME_ON of 3 digits, which could mean two times, a field whose length runs
// past the file or on into the next data specifier) is skipped with the line
// of its first field and the reason.
#pragma once

#include <istream>
#include <string>

#include "logfile/contest_log.h"

ContestLog readAdifLog(std::istream& in, const std::string& fileName);
