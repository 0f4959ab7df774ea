// What the settings pages need from the scanning dialog that hosts them. The pages keep no
// copy of the settings: every change goes into the host's record at once and is followed by
// the host calls below.
#pragma once

#include "device/ScanParamRecord.h"
#include "ui/AdjustDialogHost.h"

class IScanOutput;

class ISettingsPageHost {
public:
    virtual ~ISettingsPageHost() = default;

    // The current scan-parameter record.
    virtual SScanParamRecord& Record() = 0;
    // After the user changed the record: the setting is marked as unsaved ("Custom", 1020) and
    // what the next scan will produce is shown anew.
    virtual void OnSettingChanged() = 0;
    // After Restore Defaults: marked as unsaved unless the default setting is the one shown.
    virtual void OnSettingsRestored() = 0;
    // Descreen, fading correction or an adjustment changed: the preview is processed again.
    virtual void ReprocessPreview() = 0;
    // What the image adjustment dialogs the advanced page opens take from the host.
    virtual SAdjustHost AdjustHost() = 0;
    // Paper or resolution changed: the preview's rulers and scan area follow.
    virtual void OnScanAreaChanged() = 0;
    // The source changed: the preview's layout (flatbed or feeder) follows.
    virtual void RefreshPreviewLayout() = 0;
    // The colour mode changed (or was shown): the advanced page opens and clears adjustments.
    virtual void ApplyColourModeRules() = 0;
    // The output choices of file-output mode that the basic page edits: file type, merge
    // scanning and manual duplex.
    virtual IScanOutput& SaveChoices() = 0;
};
