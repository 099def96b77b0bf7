// The program model: number texts, command words, the list, the records the
// program makes, the Station edit rule.
#include <clocale>

#include "platform/number_text.h"
#include "program/program_rules.h"
#include "program_test_support.h"

using namespace corvane;
using program_test::ProgramTest;

TEST(NumberText, FormatsLikePrintfWhateverTheLocale) {
    EXPECT_EQ(formatInt(-42), "-42");
    EXPECT_EQ(formatReal(12.5, 3), "12.500");
    EXPECT_EQ(formatReal(7.25, 1), "7.2");  // round half to even on the binary value, as printf
    EXPECT_EQ(formatReal(2.5, 0), "2");
    EXPECT_EQ(formatReal(-0.0004, 3), "-0.000");
    EXPECT_EQ(formatReal(123456.789, 2), "123456.79");
    EXPECT_EQ(formatFloat(0.1f, 3), "0.100");
}

TEST(NumberText, ACommaLocaleDoesNotLeakIntoTheProgramsNumbers) {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed (scripts/install-deps generates it)";
    }
    const std::string decimalPoint = std::localeconv()->decimal_point;
    EXPECT_EQ(decimalPoint, ",");  // the locale really is a comma locale
    EXPECT_EQ(formatReal(1.5, 1), "1.5");
    EXPECT_EQ(formatFloat(0.25f, 2), "0.25");
    EXPECT_EQ(parseReal("1.5"), 1.5);
    std::setlocale(LC_ALL, "C");
}

TEST(NumberText, ParsesLikeAtoiAndStrtod) {
    EXPECT_EQ(parseInt("  12abc"), 12);
    EXPECT_EQ(parseInt("-7"), -7);
    EXPECT_EQ(parseInt("+7"), 7);
    EXPECT_EQ(parseInt("3.9"), 3);
    EXPECT_EQ(parseInt("x1"), 0);
    EXPECT_EQ(parseInt(""), 0);
    EXPECT_EQ(parseInt("99999999999"), 2147483647);
    EXPECT_EQ(parseInt("-99999999999"), -2147483647 - 1);
    EXPECT_EQ(parseReal(" 7.50mm"), 7.5);
    EXPECT_EQ(parseReal("-0.5"), -0.5);
    EXPECT_EQ(parseReal("abc"), 0.0);
    EXPECT_EQ(parseReal("1e3"), 1000.0);
    EXPECT_TRUE(isWholeNumber(" 7.50 "));
    EXPECT_TRUE(isWholeNumber("-1e-3"));
    EXPECT_FALSE(isWholeNumber("7.5mm"));
    EXPECT_FALSE(isWholeNumber(""));
    EXPECT_FALSE(isWholeNumber("nan"));
    EXPECT_FALSE(isWholeNumber("0x10"));
}

TEST_F(ProgramTest, CommandWordsTranslateIntoTheDisplayLanguage) {
    EXPECT_STREQ(commandWord(ProgramCommand::Check), "check");
    EXPECT_EQ(translateCommand("插件检测"), "check");
    EXPECT_EQ(translateCommand("MARK点"), "mark");
    EXPECT_EQ(translateCommand("continue"), "continue");
    EXPECT_EQ(translateCommand("other"), "other");
    useChinese();
    EXPECT_STREQ(commandWord(ProgramCommand::Uncheck), "插件不检测");
    EXPECT_EQ(translateCommand("check"), "插件检测");
    EXPECT_EQ(translateCommand("break"), "跳过");
    EXPECT_EQ(translateCommand("stop"), "停止");
    EXPECT_EQ(translateCommand("停止"), "停止");
    int words = 0;
    for (const char* word : {"check", "break", "uncheck", "mark", "stop", "continue", "插件检测",
                             "跳过", "插件不检测", "MARK点", "停止", "继续"}) {
        words += isCommandWord(word) ? 1 : 0;
    }
    EXPECT_EQ(words, 12);
    EXPECT_FALSE(isCommandWord("Check"));
    EXPECT_FALSE(isCommandWord("check "));
    EXPECT_FALSE(isCommandWord("mark点"));
}

TEST_F(ProgramTest, ComparisonsUseTheCurrentLanguage) {
    const InsertionRecord english = record(1, 3, "R1", ProgramCommand::Check);
    EXPECT_TRUE(english.isInsertion());
    useChinese();
    // Switching the language rewrites nothing: the English word no longer
    // compares equal.
    EXPECT_FALSE(english.isInsertion());
    EXPECT_EQ(english.field(kFieldCommand), "check");
}

TEST_F(ProgramTest, ListOwnsItsRecordsAndKeepsThePath) {
    ProgramList program;
    EXPECT_EQ(program.path(), "tmp.xls");
    EXPECT_TRUE(program.empty());
    program.append(record(1, 1, "a", ProgramCommand::Check));
    program.append(record(2, 2, "c", ProgramCommand::Check));
    EXPECT_TRUE(program.insertAt(1, record(9, 9, "b", ProgramCommand::Break)));
    EXPECT_FALSE(program.insertAt(5, record(0, 0, "x", ProgramCommand::Break)));
    EXPECT_FALSE(program.insertAt(-1, record(0, 0, "x", ProgramCommand::Break)));
    ASSERT_EQ(program.count(), 3);
    const InsertionRecord* first = program.at(0);
    EXPECT_TRUE(program.insertAt(3, record(4, 4, "d", ProgramCommand::Stop)));
    EXPECT_EQ(program.at(0), first);  // records keep their address
    EXPECT_EQ(program.at(1)->field(kFieldName), "b");
    EXPECT_EQ(program.at(3)->field(kFieldName), "d");
    EXPECT_TRUE(program.removeAt(1));
    EXPECT_FALSE(program.removeAt(3));
    EXPECT_EQ(program.at(3), nullptr);
    EXPECT_EQ(program.record(7).field(kFieldName), "");
    EXPECT_EQ(program.record(1).field(kFieldName), "c");
    program.at(1)->setField(kFieldName, "changed");
    program.at(1)->setField(12, "ignored");
    EXPECT_EQ(program.records()[1].field(kFieldName), "changed");
    EXPECT_EQ(program.at(1)->field(-1), "");
    program.setPath("/x/plan.xls");
    program.clear();
    EXPECT_EQ(program.count(), 0);
    EXPECT_EQ(program.path(), "/x/plan.xls");
    EXPECT_EQ(&programList(), &programList());
}

TEST_F(ProgramTest, RecordsTheProgramMakes) {
    const InsertionRecord mark = makeMarkRecord(4, 12.3456, -7.0, 7.5);
    EXPECT_EQ(mark.fields(), (std::array<std::string, 12>{"4", "12.346", "-7.000", "0", "1", "", "",
                                                          "", "7.5", "0", "mark", ""}));
    useChinese();
    const InsertionRecord closing = makeClosingRecord(9, {100.5, 2.25});
    EXPECT_EQ(closing.fields(), (std::array<std::string, 12>{"9", "100.500", "2.250", "0", "1", "",
                                                             "", "", "2.5", "0", "停止", ""}));
}

TEST_F(ProgramTest, SavingAppendsTheClosingRecordOnce) {
    ProgramList program;
    EXPECT_FALSE(appendClosingRecordIfNeeded(program, {1, 2}));  // empty: nothing to close
    program.append(record(1, 3, "R1", ProgramCommand::Check));
    program.append(makeMarkRecord(2, 0, 0, 2.5));
    EXPECT_TRUE(appendClosingRecordIfNeeded(program, {1, 2}));
    EXPECT_FALSE(appendClosingRecordIfNeeded(program, {1, 2}));
    ASSERT_EQ(program.count(), 3);
    EXPECT_EQ(program.at(2)->field(kFieldNo), "3");
    EXPECT_EQ(program.at(2)->field(kFieldX), "1.000");
    EXPECT_TRUE(endsBoard(program));

    ProgramList continued;
    continued.append(record(1, 3, "R1", ProgramCommand::Continue));
    EXPECT_FALSE(appendClosingRecordIfNeeded(continued, {1, 2}));
    // A program loaded in English and saved in Chinese does not end the board
    // by the comparison of the moment: it gets a Chinese "stop".
    useChinese();
    EXPECT_TRUE(appendClosingRecordIfNeeded(continued, {1, 2}));
    EXPECT_EQ(continued.at(1)->field(kFieldCommand), "停止");
}

TEST_F(ProgramTest, StationEditsFollowTheListViewRule) {
    ProgramList program;
    program.append(record(1, 3, "R1", ProgramCommand::Check));
    program.append(record(2, 3, "R2", ProgramCommand::Uncheck));
    program.append(record(3, 3, "M", ProgramCommand::Mark));
    program.append(record(4, 0, "Z", ProgramCommand::Check));
    int rebuilds = 0;
    setChainFeedPlanRebuild([&](const ProgramList& changed) {
        EXPECT_EQ(&changed, &program);
        ++rebuilds;
    });
    EXPECT_TRUE(editStation(program, 0, "12"));
    EXPECT_EQ(program.at(0)->field(kFieldStation), "12");
    EXPECT_TRUE(editStation(program, 1, " 1 "));
    EXPECT_EQ(program.at(1)->field(kFieldStation), "1");
    EXPECT_EQ(rebuilds, 2);
    EXPECT_FALSE(editStation(program, 0, "12"));  // same value
    EXPECT_FALSE(editStation(program, 0, "13"));  // out of range
    EXPECT_FALSE(editStation(program, 0, "0"));   // 0 only comes from a file
    EXPECT_FALSE(editStation(program, 0, "2.5"));
    EXPECT_FALSE(editStation(program, 0, "5x"));
    EXPECT_FALSE(editStation(program, 0, ""));
    EXPECT_FALSE(editStation(program, 2, "4"));  // a mark record
    EXPECT_FALSE(editStation(program, 9, "4"));
    EXPECT_TRUE(editStation(program, 3, "5"));  // from 0 to a real station
    EXPECT_EQ(rebuilds, 3);
    EXPECT_EQ(program.at(0)->field(kFieldStation), "12");
    setChainFeedPlanRebuild(nullptr);
    EXPECT_TRUE(editStation(program, 3, "6"));  // no plan installed: still edited
}
