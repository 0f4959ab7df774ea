#include "twain/CapabilityTable.h"

void BuildCapabilityTable()
{
}

void ReleaseCapabilityTable()
{
}
