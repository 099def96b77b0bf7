// The I/O bit map: every named point lands on its library bit with its level.
#include "machine/io_points.h"

#include <gtest/gtest.h>

#include <set>

#include "fake_card.h"

using namespace corvane;

namespace {

class IoPointsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake_card::reset();
        BuildIoTables();
        fake_card::reset();
    }
};

}  // namespace

TEST_F(IoPointsTest, TablesHaveTheirSizesAndStartUpState) {
    fake_card::reset();
    BuildIoTables();
    EXPECT_EQ(Outputs().size(), 20u);
    EXPECT_EQ(Inputs().size(), 24u);
    EXPECT_EQ(StationOutputs().size(), 12u);
    EXPECT_EQ(StationInputs().size(), 12u);
    // Workdesk light on, then every station output off.
    const auto writes = fake_card::callsNamed("out_bit");
    ASSERT_EQ(writes.size(), 13u);
    EXPECT_EQ(writes[0].args, (std::vector<double>{7, 0}));
    EXPECT_EQ(writes[1].args, (std::vector<double>{33, 1}));
}

TEST_F(IoPointsTest, CtaSwitchesLibraryBit44ActiveLow) {
    output(kOutCta).On();
    output(kOutCta).Off();
    const auto writes = fake_card::callsNamed("out_bit");
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].args, (std::vector<double>{44, 0}));
    EXPECT_EQ(writes[1].args, (std::vector<double>{44, 1}));
}

TEST_F(IoPointsTest, ReadBackOfAnActiveLowOutput) {
    output(kOutBuzzer).On();
    EXPECT_EQ(fake_card::state().outputs[16], 0);
    EXPECT_TRUE(output(kOutBuzzer).IsOn());
    output(kOutBuzzer).Off();
    EXPECT_FALSE(output(kOutBuzzer).IsOn());
}

TEST_F(IoPointsTest, OnlyFeederReturnDetectionIsActiveHigh) {
    for (int i = 0; i < kInputCount; ++i) {
        const int bit = input(i).libraryBit();
        fake_card::state().inputs[bit] = 1;
        EXPECT_EQ(input(i).IsActive(), i == kInFeederReturnDetection) << input(i).englishName();
        fake_card::state().inputs[bit] = 0;
        EXPECT_EQ(input(i).IsActive(), i != kInFeederReturnDetection) << input(i).englishName();
    }
    EXPECT_EQ(input(kInFeederReturnDetection).englishName(), "Feeder Return Detection ");
    EXPECT_EQ(input(kInFeederReturnDetection).libraryBit(), 37);
}

TEST_F(IoPointsTest, NamedPointsMapToTheirBits) {
    EXPECT_EQ(output(kOutPaperCut).libraryBit(), 43);
    EXPECT_EQ(output(kOutLoadLiftBelt).englishName(), "The LoadPcbLift Belt ");
    EXPECT_EQ(output(kOutAskForPcb).libraryBit(), 5);
    EXPECT_EQ(input(kInEmStop).englishName(), "Em-Stop");
    EXPECT_EQ(input(kInEmStop).libraryBit(), 14);
    EXPECT_EQ(input(kInNextSectionNeeds).libraryBit(), 9);
    EXPECT_EQ(input(kInForfexSeatTarget).libraryBit(), 42);
}

TEST_F(IoPointsTest, StationPointsFollowTheWiring) {
    EXPECT_EQ(stationOutput(1).libraryBit(), 33);
    EXPECT_EQ(stationOutput(10).libraryBit(), 42);
    EXPECT_EQ(stationOutput(11).libraryBit(), 26);
    EXPECT_EQ(stationOutput(12).libraryBit(), 27);
    EXPECT_EQ(stationInput(1).libraryBit(), 17);
    EXPECT_EQ(stationInput(12).libraryBit(), 28);
    EXPECT_EQ(stationOutput(11).englishName(), "Station 11");
    EXPECT_EQ(stationInput(3).chineseName(), "料站3");
}

TEST_F(IoPointsTest, SwitchingOffSparesTheLamps) {
    SwitchOffAllButLamps();
    std::set<int> written;
    for (const auto& c : fake_card::callsNamed("out_bit")) written.insert(static_cast<int>(c.args[0]));
    EXPECT_EQ(written.size(), 16u + 12u);
    for (int lamp : {kOutWorkdeskLight, kOutRedLight, kOutYellowLight, kOutGreenLight}) {
        EXPECT_FALSE(written.count(output(lamp).libraryBit())) << lamp;
    }
}
