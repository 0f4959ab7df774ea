// The basic settings page of the scanning dialog (template 10369): document source, colour
// mode, resolution and scan area, horizontal feeding, and in file-output mode the file type,
// manual duplex and merge scanning. What it offers follows the product profile; every change
// goes straight into the host's record (or its output choices) and is followed by the host's
// refresh calls.
#pragma once

#include <string>

#include "ui/ChildPage.h"
#include "ui/MainDialogIds.h"
#include "ui/SettingsPageRules.h"
#include "ui/SkinButton.h"
#include "ui/StaticTrans.h"
#include "ui/TransCheckBox.h"

class ISettingsPageHost;

class CBasicSetting : public CChildPage {
public:
    static constexpr UINT IDD = IDD_BASIC_PAGE;

    CBasicSetting(HINSTANCE hResModule, ISettingsPageHost& host);

    // Shows the host's record and output choices (after the host loaded or reset settings).
    void Refresh();
    // After a preview drag made the paper the custom area: shows the record's paper index.
    void SetPaperSelection();
    int SourceCount() const { return m_nSourceCount; }

protected:
    BOOL OnInitDialog() override;

private:
    void ReadProfile();
    void InitControls();
    void LayOutBoxes();
    // Fills the resolution list and the host's resolution table for the record's source,
    // colour mode and paper.
    void GetResolutionID();
    // Refills the paper and resolution lists for the record's source; nPaperIndex -1 chooses
    // the source's default paper.
    void RebuildLists(int nPaperIndex);
    void ShowControls();
    void ApplyHorizontalRule();
    void OnSourceChanged();
    void OnColourChanged();
    void OnResolutionChanged();
    void OnPaperChanged();
    void OnHorizontal();
    void OnFileTypeChanged();
    void OnManualDuplex();
    void OnMergeChoice(int nRadioId);
    void OnRestoreDefaults();
    int Selection(int nListId) const;
    bool Checked(int nId) const;
    void Check(int nId, bool bChecked) const;

    ISettingsPageHost& m_host;
    SBasicPageState m_state;
    int m_nSourceCount = 2;
    bool m_bMetric = true;
    HWND m_hToolTip = nullptr;
    CStaticTrans m_labels[5];
    CTransCheckBox m_chkHorizontal, m_chkAutoCrop, m_chkManualDuplex, m_radMerge, m_radPageByPage;
    CxSkinButton m_btnHelp, m_btnDefaults;
};
