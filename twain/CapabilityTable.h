// The capability table: built with its defaults at MSG_OPENDS, released at MSG_CLOSEDS.
#pragma once

void BuildCapabilityTable();
void ReleaseCapabilityTable();
