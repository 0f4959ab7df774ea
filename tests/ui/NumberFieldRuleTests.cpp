// The numeric field's rules without a window: typed characters, parsing at the boundaries of
// each mode, canonical texts and what leaving the field does with the range.
#include <gtest/gtest.h>

#include "ui/NumberFieldRule.h"

using R = CNumberFieldRule;

TEST(NumberFieldRule, TypingTakesDigitsBackspaceAndOnlyTheModesSigns)
{
    for (int nMode : {R::kUnsigned, R::kSigned, R::kTenths, R::kHundredths}) {
        EXPECT_TRUE(R::AcceptsChar(nMode, L'0', L'.'));
        EXPECT_TRUE(R::AcceptsChar(nMode, L'9', L'.'));
        EXPECT_TRUE(R::AcceptsChar(nMode, L'\b', L'.'));
        for (wchar_t ch : {L'a', L'+', L' ', L'e', L'\r'})
            EXPECT_FALSE(R::AcceptsChar(nMode, ch, L'.')) << nMode << " " << int(ch);
        EXPECT_EQ(R::AcceptsChar(nMode, L'-', L'.'), nMode == R::kSigned) << nMode;
        bool bDecimal = nMode == R::kTenths || nMode == R::kHundredths;
        EXPECT_EQ(R::AcceptsChar(nMode, L'.', L'.'), bDecimal) << nMode;
        // Under a comma language the comma is the separator and the point is not.
        EXPECT_EQ(R::AcceptsChar(nMode, L',', L','), bDecimal) << nMode;
        EXPECT_FALSE(R::AcceptsChar(nMode, L'.', L','));
    }
}

TEST(NumberFieldRule, ParsesEachModeAndRefusesWhatIsNoNumber)
{
    EXPECT_EQ(R::Parse(R::kUnsigned, L"007", L'.'), 7);
    EXPECT_EQ(R::Parse(R::kSigned, L"-42", L'.'), -42);
    EXPECT_EQ(R::Parse(R::kTenths, L"1,5", L','), 15);
    EXPECT_EQ(R::Parse(R::kTenths, L"2.", L'.'), 20);
    EXPECT_EQ(R::Parse(R::kTenths, L"1.59", L'.'), 15);     // truncated to the mode's unit
    EXPECT_EQ(R::Parse(R::kHundredths, L"1.15", L'.'), 115);  // not 114 through binary rounding
    EXPECT_EQ(R::Parse(R::kHundredths, L".5", L'.'), 50);
    EXPECT_EQ(R::Parse(R::kTenths, L"-1.5", L'.'), -15);
    EXPECT_EQ(R::Parse(R::kSigned, L"2147483647", L'.'), 2147483647);
    for (const wchar_t* p : {L"", L"-", L"4a", L"--5", L"5-", L"1.2.3", L".", L"2147483648", L"99999999999"})
        EXPECT_FALSE(R::Parse(R::kSigned, p, L'.')) << p;
    EXPECT_FALSE(R::Parse(R::kUnsigned, L"1.5", L'.'));  // integers have no separator
    EXPECT_FALSE(R::Parse(R::kHundredths, L"99999999.99", L'.'));
}

TEST(NumberFieldRule, CanonicalTextsUseTheLanguagesSeparator)
{
    EXPECT_EQ(R::Format(R::kSigned, -7, L','), L"-7");
    EXPECT_EQ(R::Format(R::kTenths, 15, L','), L"1,5");
    EXPECT_EQ(R::Format(R::kTenths, 0, L'.'), L"0.0");
    EXPECT_EQ(R::Format(R::kHundredths, 5, L'.'), L"0.05");
    EXPECT_EQ(R::Format(R::kHundredths, 115, L','), L"1,15");
}

TEST(NumberFieldRule, LeavingAcceptsNewValuesInRangeOnceAndRestoresOtherwise)
{
    R rule;
    rule.SetMode(R::kSigned);
    rule.SetRange(100, -100);  // given the wrong way round
    EXPECT_TRUE(rule.SetValue(5));
    EXPECT_EQ(rule.Commit(L"101"), R::EOutcome::Refused);
    EXPECT_EQ(rule.Text(), L"5");
    EXPECT_EQ(rule.Commit(L"-100"), R::EOutcome::Accepted);
    EXPECT_EQ(rule.Commit(L"-0100"), R::EOutcome::Unchanged);
    EXPECT_EQ(rule.Text(), L"-100");
    EXPECT_EQ(rule.Commit(L"x"), R::EOutcome::Refused);
    EXPECT_EQ(rule.Commit(L""), R::EOutcome::Refused);
    EXPECT_EQ(rule.Text(), L"-100");
    EXPECT_FALSE(rule.SetValue(500));
    EXPECT_EQ(rule.Value(), -100);
    // A field never given a value is not refused for being left empty.
    R fresh;
    fresh.SetRange(0, 10);
    EXPECT_EQ(fresh.Commit(L""), R::EOutcome::Unchanged);
    EXPECT_EQ(fresh.Commit(L"11"), R::EOutcome::Refused);
    EXPECT_EQ(fresh.Text(), L"");
    R tenths;
    tenths.SetDecimal(L',');
    tenths.SetMode(R::kTenths);
    tenths.SetRange(0, 100);
    EXPECT_EQ(tenths.Commit(L"1,5"), R::EOutcome::Accepted);
    EXPECT_EQ(tenths.Text(), L"1,5");
    EXPECT_EQ(tenths.Value(), 15);
}
