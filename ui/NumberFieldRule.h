// What a numeric field accepts and shows, without the window: the characters typing may enter,
// the parsing of the text when the user leaves the field, the range check and the canonical
// text in the UI language's decimal separator. Portable; CNumberEdit puts it on an edit control.
#pragma once

#include <optional>
#include <string>
#include <string_view>

class CNumberFieldRule {
public:
    // 1 unsigned integer, 2 signed integer, 3 one decimal (value in tenths), 4 two decimals
    // (value in hundredths).
    enum EMode : int { kUnsigned = 1, kSigned = 2, kTenths = 3, kHundredths = 4 };
    enum class EOutcome { Unchanged, Accepted, Refused };

    // Typing: digits and backspace always; "-" in signed fields; the separator in decimal fields.
    static bool AcceptsChar(int nMode, wchar_t ch, wchar_t wcDecimal);
    // The value a text stands for, in the mode's unit; none when the text is not a number of
    // the mode (empty, stray characters, a separator in an integer field, too large for an int).
    static std::optional<int> Parse(int nMode, std::wstring_view sText, wchar_t wcDecimal);
    // "%d", "%.1f" of tenths or "%.2f" of hundredths, with the UI language's separator.
    static std::wstring Format(int nMode, int nValue, wchar_t wcDecimal);

    void SetMode(int nMode);
    int Mode() const { return m_nMode; }
    void SetDecimal(wchar_t wcDecimal) { m_wcDecimal = wcDecimal; }
    void SetRange(int nMin, int nMax);
    int Minimum() const { return m_nMin; }
    int Maximum() const { return m_nMax; }
    // A value set by the program: within the range it becomes the last value; false outside
    // (the last valid text stays).
    bool SetValue(int nValue);
    std::optional<int> Value() const { return m_nValue; }

    // The user leaves the field with sText: Unchanged (the same value, shown canonically),
    // Accepted (a new value within the range; the parent is told), Refused (the last valid text
    // comes back and the range error is shown).
    EOutcome Commit(std::wstring_view sText);
    // The text the field shows after SetValue or Commit.
    const std::wstring& Text() const { return m_sText; }

private:
    int m_nMode = kUnsigned;
    wchar_t m_wcDecimal = L'.';
    int m_nMin = 0;
    int m_nMax = 0;
    std::optional<int> m_nValue;
    std::wstring m_sText;
};
