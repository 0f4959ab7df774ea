#include "ui/NumberFieldRule.h"

#include <algorithm>
#include <cmath>
#include <climits>
#include <cstdio>
#include <cwchar>

namespace {

bool IsDigit(wchar_t ch)
{
    return ch >= L'0' && ch <= L'9';
}

bool IsDecimalMode(int nMode)
{
    return nMode == CNumberFieldRule::kTenths || nMode == CNumberFieldRule::kHundredths;
}

// The form every valid text has: after a leading "-" counts as a digit and the first "." is
// taken out, digits only.
bool HasNumberForm(std::wstring s)
{
    if (s.empty())
        return false;
    if (s[0] == L'-')
        s[0] = L'0';
    if (size_t nDot = s.find(L'.'); nDot != std::wstring::npos)
        s.erase(nDot, 1);
    return !s.empty() && std::all_of(s.begin(), s.end(), IsDigit);
}

}  // namespace

bool CNumberFieldRule::AcceptsChar(int nMode, wchar_t ch, wchar_t wcDecimal)
{
    if (IsDigit(ch) || ch == L'\b')
        return true;
    if (ch == L'-')
        return nMode == kSigned;
    return IsDecimalMode(nMode) && ch == wcDecimal;
}

std::optional<int> CNumberFieldRule::Parse(int nMode, std::wstring_view sText, wchar_t wcDecimal)
{
    std::wstring s(sText);
    std::replace(s.begin(), s.end(), wcDecimal, L'.');
    // A sign or a separator alone is no number.
    if (!HasNumberForm(s) || std::none_of(s.begin(), s.end(), IsDigit))
        return std::nullopt;
    bool bHasDot = s.find(L'.') != std::wstring::npos;
    if (!IsDecimalMode(nMode)) {
        if (bHasDot)
            return std::nullopt;
        long long n = 0;
        bool bNegative = s[0] == L'-';
        for (size_t i = bNegative ? 1 : 0; i < s.size(); ++i) {
            n = n * 10 + (s[i] - L'0');
            if (n > INT_MAX)
                return std::nullopt;
        }
        return static_cast<int>(bNegative ? -n : n);
    }
    // The half-thousandth keeps 1.15 from becoming 114.999... hundredths; applied away from
    // zero so that a negative text gives the mirror of its positive one.
    double d = std::wcstod(s.c_str(), nullptr);
    double dScale = nMode == kTenths ? 10.0 : 100.0;
    double dUnits = std::trunc((std::fabs(d) + 0.0005) * dScale);
    if (dUnits > INT_MAX)
        return std::nullopt;
    int n = static_cast<int>(dUnits);
    return d < 0 ? -n : n;
}

std::wstring CNumberFieldRule::Format(int nMode, int nValue, wchar_t wcDecimal)
{
    wchar_t sz[48] = {};
    if (nMode == kTenths)
        std::swprintf(sz, 48, L"%.1f", nValue / 10.0 + 0.0005);
    else if (nMode == kHundredths)
        std::swprintf(sz, 48, L"%.2f", nValue / 100.0 + 0.0005);
    else
        std::swprintf(sz, 48, L"%d", nValue);
    std::wstring s(sz);
    std::replace(s.begin(), s.end(), L'.', wcDecimal);
    return s;
}

void CNumberFieldRule::SetMode(int nMode)
{
    m_nMode = std::clamp(nMode, static_cast<int>(kUnsigned), static_cast<int>(kHundredths));
    if (m_nValue)
        m_sText = Format(m_nMode, *m_nValue, m_wcDecimal);
}

void CNumberFieldRule::SetRange(int nMin, int nMax)
{
    m_nMin = std::min(nMin, nMax);
    m_nMax = std::max(nMin, nMax);
}

bool CNumberFieldRule::SetValue(int nValue)
{
    if (nValue < m_nMin || nValue > m_nMax)
        return false;
    m_nValue = nValue;
    m_sText = Format(m_nMode, nValue, m_wcDecimal);
    return true;
}

CNumberFieldRule::EOutcome CNumberFieldRule::Commit(std::wstring_view sText)
{
    std::optional<int> n = Parse(m_nMode, sText, m_wcDecimal);
    if (n && m_nValue && *n == *m_nValue) {
        m_sText = Format(m_nMode, *n, m_wcDecimal);
        return EOutcome::Unchanged;
    }
    if (n && *n >= m_nMin && *n <= m_nMax) {
        m_nValue = *n;
        m_sText = Format(m_nMode, *n, m_wcDecimal);
        return EOutcome::Accepted;
    }
    // A field that never held a value has nothing to restore: an empty one is left alone
    // rather than refused over and over.
    if (!m_nValue && sText.empty())
        return EOutcome::Unchanged;
    return EOutcome::Refused;
}
