// The description of the output files in file-output mode (the save-settings page): where the
// calling program saves the pages of a scan and under which name. The scan controller forms
// the output path from it before each scan, checks the folder's space, and asks it for a new
// name when the file exists already or a merge series has ended. The basic settings page
// chooses the file type, merge scanning and manual duplex in it.
#pragma once

#include <optional>
#include <string>

class IScanOutput {
public:
    virtual ~IScanOutput() = default;
    virtual std::wstring Folder() const = 0;
    virtual std::wstring BaseName() const = 0;
    // The file type as the extension ("jpg", "pdf" ...).
    virtual std::wstring FileType() const = 0;
    // Merge scanning is chosen: further flatbed pages go into the same output.
    virtual bool MergeScan() const = 0;
    // The name was used: the next Store forms a new default name.
    virtual void MarkNameUsed() = 0;
    // Writes the description for the calling program.
    virtual void Store() = 0;
    // A path that must exist for the output to be delivered (the e-mail program when the pages
    // go by e-mail); empty when there is none to check.
    virtual std::optional<std::wstring> PathToCheck() const = 0;

    // The basic page's choices, each shown on the save-settings page at once.
    virtual void SetFileType(const std::wstring& sType) = 0;
    virtual void SetMergeScan(bool bMerge) = 0;
    virtual void SetManualDuplex(bool bManualDuplex) = 0;
};

// The basic page's choices while no save-settings page describes the output: kept for the
// dialog's life; no folder, so the scan controller is never given it.
class CUnsavedOutput final : public IScanOutput {
public:
    std::wstring Folder() const override { return {}; }
    std::wstring BaseName() const override { return {}; }
    std::wstring FileType() const override { return m_sType; }
    bool MergeScan() const override { return m_bMerge; }
    void MarkNameUsed() override {}
    void Store() override {}
    std::optional<std::wstring> PathToCheck() const override { return std::nullopt; }
    void SetFileType(const std::wstring& sType) override { m_sType = sType; }
    void SetMergeScan(bool bMerge) override { m_bMerge = bMerge; }
    void SetManualDuplex(bool) override {}

private:
    std::wstring m_sType = L"jpg";
    bool m_bMerge = false;
};
