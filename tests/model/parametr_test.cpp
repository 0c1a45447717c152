#include "model/parametr.h"

#include <gtest/gtest.h>

#include "platform/formatfloat.h"

namespace {

// Counts the change notifications the setters send.
class CountingList : public C_Parametr {
public:
    void OnChanged(int index, int group) override {
        ++changes;
        lastIndex = index;
        lastGroup = group;
    }
    int changes = 0;
    int lastIndex = -1;
    int lastGroup = -1;
};

class ParametrTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetDecimalSeparator(',');
        list.AddParam("Период", "iP", "100", C_Parametr::kInt, 7, "", "500", "10", 1, 1);
        list.AddParam("Ширина", "fW", "1", C_Parametr::kFloat, 1, "0.00", "1000", "0.5", 1, 1);
        list.AddParam("Марка", "sM", "Ст3", C_Parametr::kText, 0, "", "", "", 1, 1);
        list.AddParam("Тип", "iTO", "0", C_Parametr::kInt, 4,
                      "$Арматура?Круглый образец?Арматурный канат?Арматура?", "3", "0", 1, 1);
    }
    void TearDown() override { platform::SetDecimalSeparator('.'); }

    CountingList list;
};

TEST_F(ParametrTest, TypedTextOnAnInteger) {
    struct Case {
        const char* text;
        int value;
        const char* holder;
    };
    const Case cases[] = {
        {"", 10, "10"},       // empty reads as 0, then the lower limit
        {"600", 500, "500"},  // above the upper limit
        {" 42 ", 42, "42"},
        {"-7", 10, "10"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(list.SetFromText(0, c.text)) << c.text;
        EXPECT_EQ(list.GetInt("iP"), c.value) << c.text;
        EXPECT_EQ(list.GetValueText("iP"), c.holder) << c.text;
    }
}

TEST_F(ParametrTest, TextThatIsNotAnIntegerKeepsTheValueAndSaysWhy) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"1.5", "'1.5' is not a valid integer value"},
        {"1,5 мм", "'1,5 мм' is not a valid integer value"},
        {"42 мс", "'42 мс' is not a valid integer value"},
        {"1ю5", "'1ю5' is not a valid integer value"},
        {"-", "'-' is not a valid integer value"},
        {"99999999999", "'99999999999' is not a valid integer value"},  // past int32
    };
    ASSERT_TRUE(list.SetFromText(0, "200"));
    const std::string holder = list.GetValueText("iP");
    for (const Case& c : cases) {
        list.SetInt("iP", 200);
        list.changes = 0;
        const TextResult r = list.SetFromText(0, c.text);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_EQ(r.error, c.message);
        EXPECT_EQ(list.GetInt("iP"), 200);
        EXPECT_EQ(list.GetValueText("iP"), holder);  // nothing of the refused text is kept
        EXPECT_EQ(list.changes, 0);
    }
}

TEST_F(ParametrTest, TypedTextOnAFloat) {
    struct Case {
        const char* text;
        double value;
        const char* holder;
    };
    const Case cases[] = {
        {"12,5", 12.5, "12,50"},     {"12ю5", 12.5, "12,50"},
        {"12Ю5", 12.5, "12,50"},     {"12.5", 12.5, "12,50"},
        {"", 0.5, "0,50"},  // empty reads as 0, then the lower limit
        {"5000", 1000.0, "1000,00"}, {"2.92", static_cast<double>(2.92f), "2,92"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(list.SetFromText(1, c.text));
        EXPECT_EQ(list.GetFloat("fW"), c.value) << c.text;
        EXPECT_EQ(list.GetValueText("fW"), c.holder) << c.text;
    }
}

TEST_F(ParametrTest, TextThatIsNotAWholeNumberKeepsTheFloatAndSaysWhy) {
    ASSERT_TRUE(list.SetFromText(1, "7,25"));
    for (const char* text : {"12ю5ю", "1,5,7", "12abc5", "мм", "12,5 мм"}) {
        list.changes = 0;
        const TextResult r = list.SetFromText(1, text);
        EXPECT_FALSE(r.ok) << text;
        EXPECT_EQ(r.error, "'" + std::string(text) + "' is not a valid floating point value");
        EXPECT_EQ(list.GetFloat("fW"), 7.25) << text;
        EXPECT_EQ(list.GetValueText("fW"), "7,25") << text;
        EXPECT_EQ(list.changes, 0) << text;
    }
}

TEST_F(ParametrTest, TextKeepsExactlyWhatWasTyped) {
    for (const char* t : {"", " 12,5 кН ", "Ст3сп"}) {
        list.SetFromText(2, t);
        EXPECT_EQ(list.GetText("sM"), t);
        EXPECT_EQ(list.GetValueText("sM"), t);
    }
}

TEST_F(ParametrTest, ChoiceList) {
    EXPECT_EQ(list.GetMaxText("iTO"), "4");
    EXPECT_EQ(list.GetItem("iTO", 0), "Арматура");
    EXPECT_EQ(list.GetItem("iTO", 1), "Круглый образец");
    EXPECT_EQ(list.GetItem("iTO", 3), "Арматура");
    EXPECT_EQ(list.GetItem("iTO", 4), "");
    EXPECT_EQ(list.GetItem("iTO", 11), "");
    EXPECT_EQ(list.GetItem("iTO", -1), "");

    C_Parametr many;
    many.AddParam("x", "iX", "0", C_Parametr::kInt, 0, "$1?2?3?4?5?6?7?8?9?10?11?12?tail", "20",
                  "0", 1, 1);
    EXPECT_EQ(many.GetMaxText("iX"), "10");
    EXPECT_EQ(many.GetItem("iX", 9), "10");
}

TEST_F(ParametrTest, SettersNotifyOnceAndLeaveTheHolder) {
    list.changes = 0;
    list.SetFloat("fW", 5000.0f);
    EXPECT_EQ(list.GetFloat("fW"), 1000.0);
    EXPECT_EQ(list.changes, 1);
    EXPECT_EQ(list.lastIndex, 1);
    EXPECT_EQ(list.lastGroup, 1);
    EXPECT_EQ(list.GetValueText("fW"), "1");  // still the declared text
    EXPECT_EQ(list.GetText("fW"), "1000,00");

    list.SetInt("iP", 3);
    EXPECT_EQ(list.GetInt("iP"), 10);
    EXPECT_EQ(list.changes, 2);

    list.SetGroup("iP", 3);
    list.SetVisible(0, 0);
    list.SetMaxText("iP", "x");
    EXPECT_EQ(list.changes, 2);

    list.SetFromText(2, "Ст5");
    EXPECT_EQ(list.changes, 3);
    EXPECT_EQ(list.lastGroup, 0);
}

TEST_F(ParametrTest, NaNNeverEntersTheList) {
    list.SetFloat("fW", 7.0f);
    list.SetFloat("fW", std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(list.GetFloat("fW"), 7.0);
}

TEST_F(ParametrTest, GroupsAndLookups) {
    EXPECT_EQ(list.NameInGroup(7, 0), "iP");
    EXPECT_EQ(list.NameInGroup(7, 1), "-1");
    EXPECT_EQ(list.NameInGroup(3, 0), "-1");
    EXPECT_EQ(list.CountShown(), 2);  // groups 0 to 3 only
    EXPECT_TRUE(list.VisibleInGroup(1, 1));
    EXPECT_FALSE(list.VisibleInGroup(1, 0));

    EXPECT_TRUE(list.SetInGroup(1, 0, "3,5"));
    EXPECT_EQ(list.GetFloat("fW"), 3.5);
    list.SetInGroup(1, 5, "9");  // no such record: nothing happens
    EXPECT_EQ(list.GetFloat("fW"), 3.5);

    EXPECT_EQ(list.IndexOf("nothing"), -1);
    EXPECT_EQ(list.GetInt("nothing"), 0);
    EXPECT_EQ(list.GetFloat("nothing"), 0.0);
    EXPECT_EQ(list.GetText("nothing"), "");
    list.SetInt("nothing", 1);
    list.SetFromText(99, "1");
}

TEST(Parametr, ReferencesBindTheCallersVariables) {
    platform::SetDecimalSeparator('.');
    int period = 1000;
    double base = 12.6;
    std::string port = "COM3";
    C_Parametr list;
    list.AddParamRef("p", "iP", &period, 7, "", "500", "10", 1, 1);
    list.AddParamRef("b", "fB", &base, 4, "0", "1000", "0", 1, 1);
    list.AddParamRef("s", "sP", &port, 4, "", "", "", 1, 1);

    EXPECT_EQ(period, 500);  // clamped at once
    EXPECT_EQ(list.GetValueText("iP"), "500");
    EXPECT_EQ(list.GetValueText("fB"), "13");
    EXPECT_EQ(list.GetText("sP"), "COM3");

    list.SetFromText(0, "250");
    list.SetFromText(1, "7,25");
    list.SetFromText(2, "COM5");
    EXPECT_EQ(period, 250);
    EXPECT_EQ(base, 7.25);
    EXPECT_EQ(port, "COM5");
    EXPECT_EQ(list.GetFloat("iP"), 0.0);  // no float storage behind an integer reference
}

TEST(Parametr, MinimumAboveMaximumEndsAtTheMaximum) {
    C_Parametr list;
    list.AddParam("x", "iX", "5", C_Parametr::kInt, 0, "", "3", "8", 1, 1);
    EXPECT_EQ(list.GetInt("iX"), 3);
    list.SetFromText(0, "1");
    EXPECT_EQ(list.GetInt("iX"), 3);
}

}  // namespace
