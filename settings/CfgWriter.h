// Serialises a settings tree into the bytes of a settings file.
#pragma once

#include "settings/CfgFile.h"

#include <vector>

// The whole file in one buffer, so that it can be written with one write.
std::vector<char> SerializeCfg(const CfgFile& root);

// The header tag of one object, exactly as it is written (with its line feed when the
// object has no data).
std::string CfgHeaderTag(const CfgFile& obj);
