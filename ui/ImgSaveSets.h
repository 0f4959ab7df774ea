// The save-settings page of file-output mode (template 1002, a child of the scanning dialog):
// where the calling program delivers the scanned images (a folder or e-mail), under which base
// name and file type. The Folder and E-mail buttons open their dialogs; the record is kept in
// "imgSaveSettings.dat" beside the scan settings, which the calling program reads.
//
// The scanning dialog, in file-output mode (one call, when the settings pages are created):
//     m_saveSets.CreatePage(m_hWnd, rcSavePage);   // rcSavePage: the page's place, client coordinates
// From then on the page loads, shows and stores the record by itself: at its creation, after
// each change in its dialogs, at the end of each transferred page and of a merge series
// (MSG_ENDXFER reaches it while it exists), and when its window goes. The rest is for the
// parts that change it:
//     - the basic settings page: SetFileType, SetMergeScan, SetManualDuplex; and SetOnChanged /
//       SetOnManualDuplexLoaded to follow what the page's dialogs and loading change;
//     - the scanning dialog: SetFeederSource when the document source changes;
//     - the scan controller: Record() (folder, base name, type, destination, e-mail program),
//       MarkNameUsed when the output file exists already or a merge series ends, and Save before
//       a scan starts.
// The page's template is 198 x 78 dialog units; a smaller place cuts its last rows off.
#pragma once

#include <functional>
#include <string>

#include "settings/ImgSaveRecord.h"
#include "transfer/ImgSaveLink.h"
#include "ui/ScanOutput.h"
#include "ui/SaveImgDlg.h"
#include "ui/SkinButton.h"
#include "ui/SkinnedDialog.h"
#include "ui/StaticTrans.h"

class CDlg_ImgSaveSets : public CSkinnedDialog, public IImgSaveStore, public IScanOutput {
public:
    static constexpr UINT IDD = 1002;
    static constexpr int kPreviewButton = 20005;
    static constexpr int kScanButton = 20006;

    // hResModule: the scanning dialog's language library (templates, strings, bitmaps).
    explicit CDlg_ImgSaveSets(HINSTANCE hResModule);
    ~CDlg_ImgSaveSets() override;

    // Creates the page at rc of hParent (an empty rc keeps the template's size at its top-left
    // corner), loads the record (the defaults when there is no usable file), gives it a fresh
    // base name, shows it and stores it.
    BOOL CreatePage(HWND hParent, const RECT& rc);

    const SImgSaveRecord& Record() const { return m_rec; }
    // Writes the record; a base name marked used is replaced by a fresh one first (and shown,
    // unless bRefresh is false).
    void Save() override { Save(true); }
    void Save(bool bRefresh);
    // Shows the record: base name, type in upper case, folder, destination.
    void Refresh();
    // The next Save forms a new base name.
    void MarkNameUsed() override;
    bool NameUsedMark() const override { return m_bNameUsedMark; }
    void ClearNameUsedMark() override { m_bNameUsedMark = false; }

    void SetFileType(const std::wstring& sType);
    void SetMergeScan(bool bMerge);
    void SetManualDuplex(bool bManualDuplex);
    // The document source is a feeder: opening the image file after scanning is not offered.
    void SetFeederSource(bool bFeeder) { m_bFeeder = bFeeder; }
    // After the page's dialogs changed the record (type and merge flag included).
    void SetOnChanged(std::function<void()> fn) { m_fnChanged = std::move(fn); }
    // When the record is loaded, with its manual-duplex flag (g_bManualDuplex is set already).
    void SetOnManualDuplexLoaded(std::function<void(bool)> fn) { m_fnManualDuplexLoaded = std::move(fn); }

    // IScanOutput: what the scan controller reads before a scan (the type as the extension).
    std::wstring Folder() const override;
    std::wstring BaseName() const override;
    std::wstring FileType() const override;
    bool MergeScan() const override { return m_rec.bMergeScan != 0; }
    void Store() override { Save(true); }
    std::optional<std::wstring> PathToCheck() const override;

    // The path of the record's file.
    const std::wstring& FilePath() const { return m_sPath; }

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    BOOL OnInitDialog() override;

private:
    void Load();
    void NewBaseName();
    void OnFolderButton();
    void OnEmailButton();
    SSaveDlgFields DialogFields() const;
    void TakeDialogFields(const SSaveDlgFields& fields);
    void AfterDialog(uint32_t nDestination);
    void ShowDestination();

    SImgSaveRecord m_rec{};
    std::wstring m_sPath;
    bool m_bLoaded = false;
    bool m_bNameUsedMark = false;
    bool m_bFeeder = false;
    std::function<void()> m_fnChanged;
    std::function<void(bool)> m_fnManualDuplexLoaded;

    CDlg_SaveImgToFile m_fileDlg;
    CDlg_SaveImgToEmail m_emailDlg;
    CStaticTrans m_name, m_type, m_folder, m_destination;
    CxSkinButton m_btnFolder, m_btnEmail;
};
