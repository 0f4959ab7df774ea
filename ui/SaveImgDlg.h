// The two modal dialogs of the save-settings page: "Folder" (template 1001) and "E-mail"
// (template 1005). Both edit the folder (through the system folder browser) and the base name,
// and accept them on OK only after the checks a calling program relies on: a usable name, a
// folder of at most 200 characters that exists and can be written to, and no existing file
// replaced without asking. The e-mail dialog also records the path of an e-mail program.
// Cancel changes nothing; the close box keeps the check boxes and nothing else.
#pragma once

#include <string>

#include "ui/SkinButton.h"
#include "ui/SkinnedDialog.h"

// What the dialogs show and give back.
struct SSaveDlgFields {
    std::wstring sFolder;
    std::wstring sName;
    std::wstring sType;
    std::wstring sEmailProgram;
    bool bOpenFile = false;
    bool bOpenFolder = false;
};

class CSaveImgDlg : public CSkinnedDialog {
public:
    void SetFields(const SSaveDlgFields& fields) { m_fields = fields; }
    const SSaveDlgFields& Fields() const { return m_fields; }

protected:
    struct SLayout {
        UINT nTemplate;
        UINT nTitle;
        int nFolderEdit;
        int nNameEdit;
    };
    CSaveImgDlg(const SLayout& layout, HINSTANCE hResModule);

    BOOL OnInitDialog() override;
    // After the shared checks passed: the dialog's own, false to stay open.
    virtual bool CheckOwn() { return true; }
    // The fields as accepted (OK) or kept (close box) from the dialog's own controls.
    virtual void TakeOwn(bool bAccepted) {}
    void ShowError(UINT nStringId);

private:
    // The close box ends the dialog as accepted without the checks.
    void OnCloseBox();
    void OnBrowse();
    void OnOk();
    // The checks on the texts and the file system, in their order; false after telling why.
    bool CheckTexts(const std::wstring& sName, const std::wstring& sFolder);
    bool CheckWritable(const std::wstring& sFolder);
    bool ConfirmReplace(const std::wstring& sTarget);
    void FocusName();

    SLayout m_layout;
    SSaveDlgFields m_fields;
    CxSkinButton m_btnBrowse, m_btnOk, m_btnCancel;
};

class CDlg_SaveImgToFile : public CSaveImgDlg {
public:
    static constexpr UINT IDD = 1001;
    explicit CDlg_SaveImgToFile(HINSTANCE hResModule);
    // The document source is the feeder: opening the image file after scanning is not offered.
    void SetFeeder(bool bFeeder) { m_bFeeder = bFeeder; }

protected:
    BOOL OnInitDialog() override;
    void TakeOwn(bool bAccepted) override;

private:
    bool m_bFeeder = false;
};

class CDlg_SaveImgToEmail : public CSaveImgDlg {
public:
    static constexpr UINT IDD = 1005;
    explicit CDlg_SaveImgToEmail(HINSTANCE hResModule);
    // 0 (folder) until the first OK that passed the checks, 1 (e-mail) from then on; it is
    // what the close box gives back as the destination.
    uint32_t Destination() const { return m_nDestination; }

protected:
    BOOL OnInitDialog() override;
    bool CheckOwn() override;
    void TakeOwn(bool bAccepted) override;

private:
    void OnChooseProgram();

    uint32_t m_nDestination = 0;
    CxSkinButton m_btnAdd;
};
