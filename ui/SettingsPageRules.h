// The rules of the basic and advanced settings pages that need no window: which sources,
// resolutions and paper defaults a product offers, the limits a rebuilt list puts on the
// record, the file types of file-output mode, the colour-mode rules of the adjustments and the
// defaults the pages restore. Portable.
#pragma once

#include <string>
#include <vector>

#include "device/ProductFlags.h"
#include "device/ScanParamRecord.h"

// ---- Basic page ------------------------------------------------------------------------------

// Sources offered: the flatbed alone without a feeder, the feeder too, and feeder duplex on
// products that scan both sides in one pass.
int OfferedSourceCount(bool bHasADF, bool bAutoDuplex);
// The source the list can show for a record's source: itself when offered, else the simplex
// feeder for a duplex request on a product with a feeder, else the flatbed.
int OfferedSource(int nSource, int nCount);

// The dpi of the resolution list before any source is chosen: 75, [100], 150, [200], 300,
// [400], 600, 1200 (the bracketed ones on KRV products). A scan without the dialog maps the
// application's dpi onto this list.
std::vector<int> InitialResolutionList(bool bKRV);
// The dpi the list offers for a source, colour mode and paper index of the product's family.
std::vector<int> ResolutionList(const SProductFlags& f, int nSource, int nColourMode, int nPaperIndex);
// The record's resolution index once the list of nListSize entries has been rebuilt.
int RebuiltResolutionIndex(const SProductFlags& f, int nSource, int nColourMode, int nIndex, int nListSize);

// The paper index chosen when the source changes: the product's default for the source
// (bMetric: the user's locale prefers metric paper), or on Tevo A3 products the previous
// selection while the new list has it.
int DefaultPaperIndex(const SProductFlags& f, int nSource, bool bMetric, int nPrevious, int nListSize);

// Paper indexes on which horizontal feeding is not possible.
bool HorizontalAllowed(int nPaperIndex);

// The basic part of the record as Restore Defaults sets it: the product's default source
// among the nSourceCount offered, colour, the third resolution, the flatbed default paper,
// no horizontal feeding.
void RestoreBasicDefaults(SScanParamRecord& rec, const SProductFlags& f, int nSourceCount);

// ---- File-output mode --------------------------------------------------------------------------

// The file type list: BMP, JPG, TIF, PDF, PNG, then OFD and the official-document PDF.
std::vector<std::wstring> FileTypeNames(bool bHasOFD, bool bHasPDFDOC);
// The list index of a stored type (any case); JPG for a type the list does not offer.
int FileTypeIndex(const std::wstring& sType, bool bHasOFD, bool bHasPDFDOC);
// Types that hold several pages, so that flatbed pages can be merged into one file.
bool IsMergeableType(const std::wstring& sType);

// What the basic page shows besides its lists.
struct SBasicPageState {
    bool bFileOutput = false;      // the calling program saves the pages (file-output mode)
    bool bMergeAvailable = false;  // file-output mode on a product with merge scanning
    bool bHasManualDuplex = true;  // the product offers manual duplex
};
struct SBasicPageShown {
    bool bManualDuplex = false;  // the manual duplex box
    bool bMergeRadios = false;   // merge and page-by-page
    bool bMergeEnabled = false;  // the merge radio can be chosen
    bool bHelpIcon = false;      // why merge scanning is not available
    bool bFileTypeEnabled = true;
};
SBasicPageShown BasicPageShown(const SBasicPageState& s, int nSource, const std::wstring& sFileType, bool bManualDuplex);

// ---- Advanced page ---------------------------------------------------------------------------

// The adjustments the colour mode leaves open; gamma and threshold are open in every mode.
struct SAdjustEnables {
    bool bDescreen = true;
    bool bFading = true;
    bool bBrightContrast = true;
    bool bHistogram = true;
    bool bCurve = true;
};
// Applies the record's colour mode to its adjustments: grey keeps the all-channels values and
// clears the per-channel ones and the fading correction; black-and-white clears every
// brightness, contrast and curve value, descreen and fading; colour and grey reset the
// threshold to the product's default. Returns what stays open.
SAdjustEnables ApplyColourModeRules(SScanParamRecord& rec, const SProductFlags& f);

// Sets the nineteen adjustment fields (brightness to automatic threshold) to the product's
// defaults; false, and nothing changed, when they hold them already.
bool RestoreAdvancedDefaults(SScanParamRecord& rec, const SProductFlags& f);
