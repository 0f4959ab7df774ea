// A numeric field: typing enters only what the mode allows, Ctrl+A, Ctrl+C and Ctrl+V work,
// and leaving the field (or Enter) checks the number against the range. An accepted new value
// is shown in canonical form and reported to the parent with 0x481 (the field's window as
// wParam), once per change; a refused one brings the last valid text back, shows the range
// error (string 1097) and returns the focus to the field. Moving to the dialog's Reset button
// (10146) checks nothing, so that Reset can put the values back first.
#pragma once

#include <optional>

#include "ui/NumberFieldRule.h"
#include "ui/Wnd.h"

class CNumberEdit : public CWnd {
public:
    static constexpr UINT kMsgValueChanged = WM_USER + 0x81;
    static constexpr int kResetButtonId = 10146;

    CNumberEdit();

    // 1 unsigned, 2 signed, 3 one decimal, 4 two decimals (CNumberFieldRule::EMode).
    void SetMode(int nMode);
    // In the mode's unit: tenths in mode 3, hundredths in mode 4.
    void SetRange(int nMin, int nMax);
    // Shows the value in canonical form; a value outside the range leaves the last valid text.
    void SetValue(int nValue);
    std::optional<int> Value() const { return m_rule.Value(); }

protected:
    void PreSubclassWindow() override;

private:
    void Validate();
    void ShowRangeError();
    void Paste();
    // True when the character was taken (or dropped) here.
    bool OnChar(wchar_t ch);
    void ShowRuleText();

    CNumberFieldRule m_rule;
    bool m_bErrorPending = false;
};
