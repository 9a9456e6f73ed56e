// What each participant gets: ubn/<CALL>.txt, the lines the check took
// away, and ubn/<CALL>.html, the whole log line by line beside the lines
// of the other logs it was matched with.  Both open with the same summary:
// claimed against verified, the reduction, the clock offset found, the
// bands, and the lines of others that miscopied the participant's call.
#pragma once

#include <cstddef>
#include <string>

#include "checker/cross_check.h"
#include "checker/cross_references.h"

// ubn/<CALLSIGN>.txt of one CHECKED log, CR LF lines.
std::string participantReport(const CrossCheck& check, const CrossReferences& references, std::size_t logIndex);

// ubn/<CALLSIGN>.html of one CHECKED log, appended to `page`: no scripts,
// nothing fetched.  In place, so that one text serves every page of a
// contest: the pages are most of what the checker writes.
void appendWholeLogPage(std::string& page, const CrossCheck& check, const CrossReferences& references,
                        std::size_t logIndex);
