// Capability negotiation from the command line, the -n report and the --list-caps listing.
#pragma once

#include <vector>

#include "twain/TwainTypes.h"
#include "twainscan/ScanOptions.h"
#include "twainscan/TwainSession.h"

// Sends every setting asked for; EXIT_OK, or EXIT_CAP_REFUSED with the reason on stderr.
// pTouched receives the capabilities set, for the report.
int Negotiate(CTwainSession& session, const SScanOptions& options, std::vector<TW_UINT16>* pTouched);
// One line per capability: its current value as the source now reports it.
void ReportCapabilities(CTwainSession& session, const std::vector<TW_UINT16>& caps);
// Every capability the source supports, with type, container, current and allowed values.
void ListCapabilities(CTwainSession& session);
