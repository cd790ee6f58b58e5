// Number entry: parsing as typed, exact conversions to drive units, the shortest decimal
// form, and the key filter.
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include "dialogs/NumberEntry.h"

namespace ordalis::test {
namespace {

using R = DecimalEntry::Rounding;

TEST(NumberEntry, ParsesOnlyWhatTheBoxesAccept) {
    struct Case {
        const char* text;
        bool integer;  // accepted as an integer
        bool decimal;  // accepted as a decimal
    };
    const Case cases[] = {
        {"0", true, true},      {"0042", true, true}, {"", false, false},  {"1.2.3", false, false},
        {"3.5", false, true},   {".5", false, true},  {"7.", false, true}, {".", false, false},
        {"-5", false, false},   {"1e3", false, false}, {" 5", false, false}, {"١٢", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseIntegerEntry(QString::fromUtf8(c.text)).has_value(), c.integer);
        EXPECT_EQ(ParseDecimalEntry(QString::fromUtf8(c.text)).has_value(), c.decimal);
    }
    // Too many digits for 64 bits: still a number, and larger than any range.
    EXPECT_EQ(ParseIntegerEntry("99999999999999999999999"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(ParseDecimalEntry("99999999999999999999999.5")->Scaled(1, R::Ceil), std::numeric_limits<int64_t>::max());
}

TEST(NumberEntry, ConversionsAreExactDecimals) {
    struct Case {
        const char* text;
        int digits;
        R rounding;
        int64_t expected;
    };
    const Case cases[] = {
        {"1.1", 2, R::Ceil, 110},      // 1.1 * 100 in binary floating point rounds up to 111
        {"1.5", 2, R::Ceil, 150},     {"30", 2, R::Ceil, 3000},     {"1.495", 2, R::Ceil, 150},
        {"0.001", 2, R::Ceil, 1},     {"3.5", 1, R::HalfEven, 35},  {"2.25", 1, R::HalfEven, 22},
        {"2.75", 1, R::HalfEven, 28}, {"0.15", 1, R::HalfEven, 2},  {"0.05", 1, R::HalfEven, 0},
        {"2.26", 1, R::HalfEven, 23}, {"6553.5", 1, R::HalfEven, 65535}, {"9.99", 0, R::Truncate, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseDecimalEntry(c.text)->Scaled(c.digits, c.rounding), c.expected);
    }
    EXPECT_TRUE(ParseDecimalEntry("3.50")->ScaledEquals(1, 35));
    EXPECT_FALSE(ParseDecimalEntry("2.25")->ScaledEquals(1, 22));
    EXPECT_EQ(ParseDecimalEntry("1.49")->CompareTo(150, 2), -1);
    EXPECT_EQ(ParseDecimalEntry("1.5")->CompareTo(150, 2), 0);
    EXPECT_EQ(ParseDecimalEntry("30.001")->CompareTo(3000, 2), 1);
    EXPECT_EQ(ParseDecimalEntry("29.999")->CompareTo(3000, 2), -1);
}

TEST(NumberEntry, ShortestAndFixedForms) {
    struct Case {
        int64_t raw;
        int decimals;
        const char* shortest;
        const char* fixed;
    };
    const Case cases[] = {
        {2400, 2, "24", "24.00"},   {2456, 2, "24.56", "24.56"}, {65535, 2, "655.35", "655.35"},
        {-25, 1, "-2.5", "-2.5"},   {35, 1, "3.5", "3.5"},       {40, 1, "4", "4.0"},
        {5, 2, "0.05", "0.05"},     {-150, 2, "-1.5", "-1.50"},  {0, 2, "0", "0.00"},
        {150, 2, "1.5", "1.50"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raw);
        EXPECT_EQ(ShortestDecimal(c.raw, c.decimals), QString::fromUtf8(c.shortest));
        EXPECT_EQ(FixedDecimal(c.raw, c.decimals), QString::fromUtf8(c.fixed));
    }
}

TEST(NumberEntry, KeyFilterAndExitOnEnterOrLeaving) {
    QWidget window;
    auto* box = new QLineEdit(&window);
    auto* other = new QLineEdit(&window);
    int exits = 0;
    AttachNumberEntry(box, false, [&] { ++exits; });
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    box->setFocus();
    QTest::keyClicks(box, "1a.2-3 ");
    EXPECT_EQ(box->text(), "123");
    QTest::keyClick(box, Qt::Key_Backspace);
    EXPECT_EQ(box->text(), "12");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(exits, 1);
    EXPECT_TRUE(box->hasFocus());  // Enter keeps the focus
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(exits, 2);

    auto* decimal = new QLineEdit(&window);
    AttachNumberEntry(decimal, true, [] {});
    decimal->setFocus();
    QTest::keyClicks(decimal, "1.2.x3");
    EXPECT_EQ(decimal->text(), "1.2.3");  // several full stops pass the filter; the handler refuses them
}

TEST(NumberEntry, MessagesNameTheText) {
    EXPECT_EQ(NotANumberText(1, "1.2.3", true), "'1.2.3' is not a valid number");
    EXPECT_EQ(NotANumberText(1, "", false), "'' is not a valid integer value");
    EXPECT_EQ(NotANumberText(0, "1.2.3", true), QString::fromUtf8("“1.2.3”不是有效的数值"));
    EXPECT_EQ(RangeText(1, "0", "65535"), "The value must be between 0 and 65535!");
}

}  // namespace
}  // namespace ordalis::test
