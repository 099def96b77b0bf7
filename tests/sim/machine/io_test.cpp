// Digital I/O of the simulated cards: the wiring's bit numbers and active
// levels, power-on levels, buttons and door, stuck and inverted inputs, the
// output log.
#include <gtest/gtest.h>

#include "sim_fixture.h"

namespace corvane::sim::testing {
namespace {

class IoTest : public SimFixture {};

TEST_F(IoTest, NamedPointsSitOnTheirLibraryBits) {
    EXPECT_EQ(wiring(Output::Cta).libraryBit(), 44);
    EXPECT_EQ(wiring(Output::LoadLift).libraryBit(), 1);
    EXPECT_EQ(wiring(Output::PaperCutFront).libraryBit(), 17);
    EXPECT_EQ(wiring(Input::FeederReturn).libraryBit(), 37);
    EXPECT_EQ(wiring(Input::FeederReturn).activeLevel, 1);
    EXPECT_EQ(wiring(Input::ForfexSeatTarget).libraryBit(), 42);
    EXPECT_EQ(wiring(Input::NextMachineNeeds).libraryBit(), 9);
    EXPECT_EQ(wiring(Output::LoadLiftBelt).name, "The LoadPcbLift Belt ");
    EXPECT_EQ(wiring(Input::FeederReturn).name, "Feeder Return Detection ");
    EXPECT_EQ(stationOutputWiring(11).libraryBit(), 26);
    EXPECT_EQ(stationOutputWiring(12).libraryBit(), 27);
    EXPECT_EQ(stationOutputWiring(10).libraryBit(), 42);
    EXPECT_EQ(stationOutputWiring(1).libraryBit(), 33);
    EXPECT_EQ(stationInputWiring(1).libraryBit(), 17);
    EXPECT_EQ(stationInputWiring(12).libraryBit(), 28);
    for (int i = 0; i < kInputCount; ++i) {
        const auto source = inputAt(wiring(static_cast<Input>(i)).libraryBit());
        ASSERT_TRUE(source) << i;
        EXPECT_EQ(source->kind, InputSource::Kind::Named);
        EXPECT_EQ(source->index, i);
    }
    EXPECT_EQ(stationOutputAt(26), 11);
    EXPECT_FALSE(inputAt(30));
}

TEST_F(IoTest, CtaOnWritesLevel0ToBit44) {
    set(Output::Cta, true);
    EXPECT_EQ(d1000_get_outbit(44), 0);
    EXPECT_TRUE(machine().outputOn(Output::Cta));
    advance(0.25);
    set(Output::Cta, false);
    EXPECT_EQ(d1000_get_outbit(44), 1);
    const auto log = machine().outputLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].bit, 44);
    EXPECT_EQ(log[0].level, 0);
    EXPECT_EQ(log[1].level, 1);
    EXPECT_NEAR(log[1].time - log[0].time, 0.25, 1e-9);
    // Writing the level it already has is not a change.
    set(Output::Cta, false);
    EXPECT_EQ(machine().outputLog().size(), 2u);
}

TEST_F(IoTest, StationOutputsDriveTheirFeeders) {
    ASSERT_EQ(d1000_out_bit(26, 0), 0);
    EXPECT_TRUE(machine().stationOutputOn(11));
    ASSERT_EQ(d1000_out_bit(42, 0), 0);
    EXPECT_TRUE(machine().stationOutputOn(10));
    EXPECT_TRUE(stationConfirms(11));
    EXPECT_TRUE(stationConfirms(10));
    EXPECT_FALSE(stationConfirms(12));
}

TEST_F(IoTest, PowerOnLevels) {
    for (int16_t bit = 1; bit <= 64; ++bit) {
        EXPECT_EQ(d1000_get_outbit(bit), 1) << bit;
    }
    EXPECT_FALSE(active(Input::Start));
    EXPECT_FALSE(active(Input::Stop));
    EXPECT_FALSE(active(Input::EmergencyStop));
    EXPECT_FALSE(active(Input::HReturnOrigin));
    EXPECT_FALSE(active(Input::ForfexManual));
    EXPECT_TRUE(active(Input::SafeDoor));
    EXPECT_EQ(d1000_in_bit(37), 1);  // feeder return, active high
    EXPECT_TRUE(active(Input::CtaOrigin));
    EXPECT_FALSE(active(Input::CtaTarget));
    EXPECT_TRUE(active(Input::ForfexSeatOrigin));
    EXPECT_FALSE(active(Input::ForfexSeatTarget));
    EXPECT_TRUE(active(Input::LoadLiftOrigin));
    EXPECT_TRUE(active(Input::UnloadLiftOrigin));
    EXPECT_FALSE(active(Input::LoadLiftTarget));
    EXPECT_TRUE(active(Input::PcbFixing));
    EXPECT_TRUE(active(Input::NextMachineNeeds));
    EXPECT_FALSE(active(Input::LeftCheck));
    EXPECT_FALSE(active(Input::RightCheck));
    EXPECT_FALSE(active(Input::PcbArriveWorkdesk));
    for (int s = 1; s <= kStationCount; ++s) {
        EXPECT_FALSE(stationConfirms(s));
    }
    EXPECT_EQ(d1000_in_bit(30), 1);  // wired to nothing
    EXPECT_EQ(d1000_in_bit(0), 1);
}

TEST_F(IoTest, ButtonsAndDoor) {
    machine().pressButton(Button::Start);
    EXPECT_EQ(d1000_in_bit(10), 0);
    machine().releaseButton(Button::Start);
    EXPECT_EQ(d1000_in_bit(10), 1);

    machine().tapButton(Button::Stop, 0.1);
    EXPECT_TRUE(active(Input::Stop));
    advance(0.099);
    EXPECT_TRUE(active(Input::Stop));
    advance(0.002);
    EXPECT_FALSE(active(Input::Stop));

    machine().pressButton(Button::EmergencyStop);
    advance(5);
    EXPECT_TRUE(active(Input::EmergencyStop));
    machine().releaseButton(Button::EmergencyStop);
    EXPECT_FALSE(active(Input::EmergencyStop));

    machine().setSafeDoorClosed(false);
    EXPECT_EQ(d1000_in_bit(16), 1);
    machine().setSafeDoorClosed(true);
    EXPECT_EQ(d1000_in_bit(16), 0);

    machine().scheduleSafeDoor(false, now() + 2.0);
    machine().scheduleButton(Button::EmergencyStop, true, now() + 3.0);
    advance(1.999);
    EXPECT_TRUE(active(Input::SafeDoor));
    advance(0.002);
    EXPECT_FALSE(active(Input::SafeDoor));
    EXPECT_FALSE(active(Input::EmergencyStop));
    advance(1.0);
    EXPECT_TRUE(active(Input::EmergencyStop));
}

TEST_F(IoTest, StuckAndInvertedInputs) {
    machine().stickInput(Input::PcbArriveWorkdesk, 0);
    EXPECT_TRUE(active(Input::PcbArriveWorkdesk));
    machine().invertInput(Input::CtaOrigin, true);
    EXPECT_FALSE(active(Input::CtaOrigin));
    machine().stickInput(Input::CtaOrigin, 0);  // a stuck level wins over the inversion
    EXPECT_TRUE(active(Input::CtaOrigin));
    machine().stickInputBit(28, 0);  // station 12 confirms with nothing switched
    EXPECT_TRUE(stationConfirms(12));
    machine().releaseInput(Input::CtaOrigin);
    EXPECT_TRUE(active(Input::CtaOrigin));
    machine().clearFaults();
    EXPECT_FALSE(active(Input::PcbArriveWorkdesk));
    EXPECT_FALSE(stationConfirms(12));
}

TEST_F(IoTest, FeederReturnFollowsTheStationOutputs) {
    setStation(3, true);
    EXPECT_EQ(d1000_in_bit(37), 0);
    advance(0.2);
    setStation(3, false);
    advance(0.019);
    EXPECT_EQ(d1000_in_bit(37), 0);
    advance(0.002);
    EXPECT_EQ(d1000_in_bit(37), 1);
}

TEST_F(IoTest, UnwiredOutputBitsKeepWhatIsWritten) {
    ASSERT_EQ(d1000_out_bit(40, 0), 0);
    EXPECT_EQ(d1000_get_outbit(40), 0);
    EXPECT_EQ(d1000_out_bit(65, 0), SimulatedMachine::kErrorNoSuchPoint);
    EXPECT_EQ(d1000_out_bit(0, 0), SimulatedMachine::kErrorNoSuchPoint);
    EXPECT_EQ(d1000_get_outbit(65), 1);
}

}  // namespace
}  // namespace corvane::sim::testing
