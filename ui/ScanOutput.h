// The description of the output files in file-output mode (the save-settings page): where the
// calling program saves the pages of a scan and under which name. The scan controller forms
// the output path from it before each scan, checks the folder's space, and asks it for a new
// name when the file exists already or a merge series has ended.
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
};
