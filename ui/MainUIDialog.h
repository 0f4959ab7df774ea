// The scanning dialog: the source's own window, created at MSG_ENABLEDS and destroyed at
// MSG_DISABLEDS (in file-output mode it survives the disable). Shown when the application asks
// for the user interface; otherwise it stays hidden, restores the user's settings all the
// same and owns the scan the application started without it.
//
// What the parts built on it use (the settings pages, the preview, the save-settings page):
// Record() is the current scan-parameter record, which every change writes to at once;
// OnSettingChanged() after each change marks the setting as unsaved (1020) and refreshes what
// the next scan will produce; SetScanOutput() hands over the description of the output files
// in file-output mode. After a change of theirs the settings pages also call, as it applies:
// ReprocessPreview() (an adjustment or the colour mode), RefreshPreviewLayout() (the source),
// PlaceTrackerOnPaper() (the paper) and UpdateRulerDpi() (the resolution).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "device/ScanParamRecord.h"
#include "profile/Resources.h"
#include "settings/SettingsRestore.h"
#include "ui/AdjustDialogHost.h"
#include "ui/Dialog.h"
#include "ui/DialogSkin.h"
#include "ui/MainDialogIds.h"
#include "ui/PreviewStatic.h"
#include "ui/SkinButton.h"

class CDsProxy;
class CImage;
class CImgEffectBinding;
class CDialogClassCopy;
class CGetMessageHook;
class CChildPage;
class CDlg_ImgINFO;
class IScanOutput;
class CDlg_ImgSaveSets;

// The class name the dialog templates use, so that others can find the window.
inline constexpr wchar_t kMainUIClassName[] = L"Q7100UIFLAG";

// Timers of the scanning dialog.
constexpr UINT_PTR kTimerAfterAbout = 30002;  // preview drawing allowed again
constexpr UINT_PTR kTimerBringToTop = 30003;
constexpr UINT_PTR kTimerFocusScan = 30011;

// 0x575: a preview band is ready (rows ready, preview height); the first tells the height.
constexpr UINT kMsgPreviewBand = WM_USER + 373;

class CMainUIDialog : public CDialog, private ISettingsRestoreHost, private IPreviewHost {
public:
    static constexpr UINT IDD = IDD_MAIN_UI;
    // The template in file-output mode (saving to files or e-mail for the calling program).
    static constexpr UINT IDD_FILE_OUTPUT = IDD_MAIN_UI_FILE_OUTPUT;

    // Templates, strings and bitmaps come from the language library of the user's language;
    // hResModule (the source's own fallback templates) only when that library is missing.
    CMainUIDialog(UINT nIdTemplate, HINSTANCE hResModule, CDsProxy* pProxy);
    ~CMainUIDialog() override;

    // Starts a scan with the values the application negotiated, without showing the window.
    virtual int StartScanWithoutUI();
    // The Scan button: one scan, the self test, or the next page of a merge series. The result
    // of the last scan (1 handed on, 0 busy, -1 failed).
    int OnBnClickedScan();

    bool UserClosed() const { return m_bUserClosed; }
    // Removes the get-message hook installed when the window opened.
    void RemoveMessageHook();
    bool HasMessageHook() const { return m_pHook != nullptr; }
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // For the settings pages, the preview and the save-settings page.
    SScanParamRecord& Record();
    void OnSettingChanged();
    void RefreshSettingsDisplays();
    void SetScanOutput(IScanOutput* pOutput);
    IScanOutput* ScanOutput() const { return m_pOutput; }
    // The host program asked for the deferred close (Photoshop after ICAP_PIXELFLAVOR): the
    // next change of activation ends the device job and asks the application to close.
    void SetDeferredClose() { m_bDeferredClose = true; }
    // The window is shown to the user (not the hidden dialog of a scan without it).
    bool WithUI() const { return m_bWithUI; }
    // The name in the setting-name box and its position in the list (-1 when not in it).
    std::wstring CurrentSettingName() const;
    int SettingPosition() const { return m_nPosition; }
    // The preview control draws only while this holds (not while the About box is up).
    bool PreviewDrawingAllowed() const override { return m_bPreviewDrawing; }

    // The preview. The display image is made again from the kept rows of the last preview with
    // the record's adjustments (never from an adjusted copy).
    void ReprocessPreview();
    // The record's source: the preview's layout (feeder or flatbed), its tools and the tracker.
    void RefreshPreviewLayout();
    // The tracker on the record's paper (at 0, 0 with the paper's size) or custom area.
    void PlaceTrackerOnPaper();
    // The pixel ruler counts at the record's resolution.
    void UpdateRulerDpi();
    // What the image adjustment dialogs take from this dialog: the record, the product, the
    // effect library's prefix, OnSettingChanged() as the custom mark, ReprocessPreview() after
    // each change and the preview's rows shown so far for the histogram.
    SAdjustHost AdjustHost();
    // The last preview's display image (null without one) and the result of the preview thread.
    const CImage* PreviewImage() const;
    int PreviewResult() const { return m_iPreviewRet; }

protected:
    BOOL OnInitDialog() override;
    // Enter does not close the scanning window.
    void OnOK() override {}
    void OnCancel() override;

private:
    // Construction and opening.
    void LoadLanguageLibrary();
    void RegisterHandlers();
    void InitControls();
    void CreatePages();
    void CreateSavePage();
    bool RestoreSettings();
    void ShowRecord();
    void SetTitle();
    bool PaintBackground(HDC hDC);
    void OnDestroyWindow();
    void WriteCurrentSetting();

    // The application's loop does not know this modeless window: keyboard messages reach the
    // dialog's own pre-translation through the hook.
    void OnHookedMessage(MSG& msg, bool bRemoved);
    bool OnAltKey(const MSG& msg);

    // Commands.
    void OnBnClickedPreview();
    bool OpenPreviewDevice();
    void RunPreviewThread();
    void EndPreview();
    void OnHelp();
    void OnAbout();
    void OnDetails();
    void OnClearPreview();
    void OnPort();
    // The preview control and its tools.
    void InitPreview();
    void OnPreviewBand(WPARAM wRows, LPARAM lHeight);
    void OnPreviewTool(int nMode);
    void OnPreviewScroll(HWND hBar, int nCode);
    void ShowPlaceholder();
    // A running preview stops and its thread ends (the dialog is going).
    void StopPreview();
    // IPreviewHost
    void EnableZoomButtons(bool bZoomIn, bool bZoomOut) override;
    void OnTrackerChanged() override;
    void OnSizeReadoutChanged() override;
    void ScrollViewBy(int dx, int dy) override;
    void OnPageTab(bool bAdvanced);
    void OnUnitChanged();
    void Close();
    void OnTimerBringToTop();
    void OnActivate(WPARAM wParam);

    // Setting names.
    void OnNameEdited();
    void OnSaveSetting();
    void OnDeleteSetting();
    void OnNameSelected();
    void ShowSaveButton(bool bSave, bool bEnabled);
    std::vector<std::wstring> ListedNames() const;

    // Scanning from the button.
    int MergeLoop(int nResult);
    int RunSelfTest();
    bool CountDown(const std::wstring& sTitle, int nRun, int nCount, int nSeconds);

    // ISettingsRestoreHost
    std::wstring SettingText(int nStringId) override;
    ScanParamBlob DefaultRecord() override;
    void ApplyNetworkAddress(ScanParamBlob& record, const std::string& szAddress) override;
    void UseFlatbedSource(ScanParamBlob& record) override;
    void ShowSettingNames(const std::vector<std::wstring>& names) override;
    void ShowSelectedSetting(int nPosition, bool bDeleteShown, bool bDeleteEnabled) override;
    void UseRecord(const ScanParamBlob& record, const std::wstring& szName) override;
    void UseOlderPlatformOpen() override;
    void HidePortButton() override;

    CDsProxy* m_pProxy;
    std::wstring m_sLangCode;
    // Cleared when the object goes: loops that serve the application's messages check it.
    std::shared_ptr<bool> m_pAlive = std::make_shared<bool>(true);
    // Declared before the class copy: the library it was registered for outlives it.
    std::optional<CLangResource> m_lang;
    std::shared_ptr<CDialogClassCopy> m_pClass;
    std::unique_ptr<CGetMessageHook> m_pHook;
    std::unique_ptr<CChildPage> m_pBasicPage;
    std::unique_ptr<CChildPage> m_pAdvancedPage;
    std::unique_ptr<CDlg_ImgINFO> m_pInfo;
    std::unique_ptr<CDlg_ImgSaveSets> m_pSavePage;  // file-output mode only
    // The product's text buttons, the page tabs and the preview's tools.
    CxSkinButton m_btnScan, m_btnPreview, m_btnClose, m_btnPort, m_btnHelp, m_btnAbout;
    CxSkinButton m_btnSave, m_btnDelete, m_btnClear, m_btnDetails, m_btnBasic, m_btnAdvanced;
    CxSkinButton m_btnSelect, m_btnZoomIn, m_btnZoomOut, m_btnHand;
    // The preview: the control, the kept rows (working image) and what is shown (display
    // image), the rows read, the thread and its result.
    CPreviewStatic m_preview;
    std::unique_ptr<CImage> m_pPreviewWork, m_pPreviewShown;
    int m_nPreviewRows = 0;
    int m_iPreviewRet = 0;
    std::unique_ptr<CImgEffectBinding> m_pEffects;  // for re-processing
    std::thread m_previewThread;
    bool m_bCloseAfterPreview = false;
    HWND m_hToolTip = nullptr;
    CDialogBackground m_background;  // 1001, the face
    CDialogBackground m_commandBand;  // 1002, behind the command buttons
    IScanOutput* m_pOutput = nullptr;
    int m_nPosition = -1;
    bool m_bWithUI = false;
    bool m_bRestored = false;
    bool m_bUserClosed = false;
    bool m_bDeferredClose = false;
    // The preview is not drawn while the About box is up and for a moment after it closed.
    bool m_bPreviewDrawing = true;
    bool m_bShowingRecord = false;
};
