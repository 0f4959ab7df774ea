// The names of the current settings as the information page and the settings summary show
// them, in the UI language: source, colour mode, resolution, scan area and the adjustments'
// list entries.
#pragma once

#include <string>

#include "device/ScanParamRecord.h"
#include "ui/ScanSummaryText.h"

std::wstring SourceName(int nSource);
std::wstring ColourModeName(int nColourMode);
std::wstring ResolutionText(int nDpi);
// The paper entry's name, or the custom area's for the source's custom index.
std::wstring PaperName(int nSource, int nPaperIndex);
// The rotation, descreen and fading list entries, the tone curve's preset names.
std::wstring RotationName(int nRotation);
std::wstring DescreenName(int nDescreen);
std::wstring FadingName(int nFading);
std::wstring CurveName(int nCurve);

// The decimal separator and unit rules of the UI language.
SSummaryLocale CurrentSummaryLocale();
