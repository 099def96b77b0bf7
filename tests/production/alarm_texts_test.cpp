// Alarm and state texts: both languages, exact wording.
#include "production/alarm_texts.h"

#include <gtest/gtest.h>

#include "production/machine_state.h"

using namespace corvane;

TEST(AlarmTexts, TablesKeepTheirExactWording) {
    EXPECT_EQ(alarmText(0, kEnglish), "Complete the production");
    EXPECT_EQ(alarmText(1, kEnglish), "H shaft is  alarm or timeout");
    EXPECT_EQ(alarmText(2, kEnglish), "P shaft is  alarm or timeout");
    EXPECT_EQ(alarmText(5, kEnglish), "Station error: ");
    EXPECT_EQ(alarmText(22, kEnglish), alarmText(23, kEnglish));
    EXPECT_EQ(alarmText(25, kEnglish), "The LoadPcbLift have two pcbs");
    EXPECT_EQ(alarmText(6, kChinese), "切纸错误,链条将动时切纸气阀没有回位");
    EXPECT_EQ(alarmText(24, kChinese), "安全门被打开，机器暂停运行");
    EXPECT_EQ(alarmText(26, kEnglish), "");
    EXPECT_EQ(alarmText(-1, kEnglish), "");
}

TEST(AlarmTexts, StateFiveHasNoEnglishText) {
    EXPECT_EQ(stateText(0, kEnglish), "The LoadPcbLift ask board from pre section");
    EXPECT_EQ(stateText(5, kEnglish), "");
    EXPECT_EQ(stateText(5, kChinese), "插件中...");
    EXPECT_EQ(stateText(6, kChinese), "");
    EXPECT_EQ(stateText(7, kEnglish), "");
}
