// Axes on the simulated cards through the d1000_* calls: profile times, stops,
// limits, home moves, linear interpolation, command positions, status bits and
// the number of cards.
#include <gtest/gtest.h>

#include <cmath>

#include "sim_fixture.h"

namespace corvane::sim::testing {
namespace {

class AxisTest : public SimFixture {};

// X at production speeds: 200 -> 600 mm/s in 0.03 s; 100 mm take
// 2 * 0.03 + (100 - 24) / 600 s.
constexpr double kFullMoveSeconds = 0.06 + 76.0 / 600.0;

TEST_F(AxisTest, TrapezoidalAndSCurveMovesTakeTheirProfileTime) {
    for (bool sCurve : {false, true}) {
        machine().reset();
        const double start = now();
        const int rc = sCurve ? d1000_start_s_move(id(Axis::X), 100'000, 200'000, 600'000, 0.03)
                              : d1000_start_t_move(id(Axis::X), 100'000, 200'000, 600'000, 0.03);
        ASSERT_EQ(rc, 0);
        EXPECT_EQ(d1000_check_done(id(Axis::X)), 0);
        advance(0.05);
        const int32_t midway = pos(Axis::X);
        EXPECT_GT(midway, 0);
        EXPECT_LT(midway, 100'000);
        EXPECT_EQ(waitDone(Axis::X), 1);
        EXPECT_NEAR(now() - start, kFullMoveSeconds, 0.0015) << (sCurve ? "S" : "T");
        EXPECT_EQ(pos(Axis::X), 100'000);
        EXPECT_NEAR(machine().axisPosition(Axis::X), 105.0, 1e-9);  // power-on 5 mm
    }
}

TEST_F(AxisTest, ShortMoveNeverReachesMaxSpeed) {
    const double start = now();
    ASSERT_EQ(d1000_start_t_move(id(Axis::X), 10'000, 200'000, 600'000, 0.03), 0);
    EXPECT_EQ(waitDone(Axis::X), 1);
    const double rate = 400'000 / 0.03;
    const double peak = std::sqrt(200'000.0 * 200'000.0 + rate * 10'000);
    EXPECT_NEAR(now() - start, 2 * (peak - 200'000) / rate, 0.0015);
    EXPECT_EQ(pos(Axis::X), 10'000);
}

TEST_F(AxisTest, AbsoluteMovesGoToCommandTargets) {
    ASSERT_EQ(d1000_start_ta_move(id(Axis::Y), 50'000, 400'000.0, 600'000.0, 0.03), 0);
    EXPECT_EQ(waitDone(Axis::Y), 1);
    EXPECT_EQ(pos(Axis::Y), 50'000);
    ASSERT_EQ(d1000_start_sa_move(id(Axis::Y), -20'000, 400'000, 600'000, 0.03), 0);
    EXPECT_EQ(waitDone(Axis::Y), 1);
    EXPECT_EQ(pos(Axis::Y), -20'000);
    EXPECT_NEAR(machine().axisPosition(Axis::Y), -25.0, 1e-9);  // power-on -5 mm
}

TEST_F(AxisTest, NewMoveReplacesTheRunningOne) {
    ASSERT_EQ(d1000_start_t_move(id(Axis::H), -30'000, 80'000, 400'000, 0.13), 0);
    advance(0.05);
    const int32_t reached = pos(Axis::H);
    ASSERT_LT(reached, 0);
    ASSERT_EQ(d1000_start_ta_move(id(Axis::H), -10'000, 80'000, 400'000, 0.13), 0);
    EXPECT_EQ(waitDone(Axis::H), 1);
    EXPECT_EQ(pos(Axis::H), -10'000);
}

TEST_F(AxisTest, ConstantSpeedRunsUntilStopped) {
    const int32_t before = pos(Axis::L);
    ASSERT_EQ(d1000_start_tv_move(id(Axis::L), 10'000, 20'000, 0.03), 0);
    advance(1.03);
    EXPECT_EQ(d1000_check_done(id(Axis::L)), 0);
    EXPECT_NEAR(pos(Axis::L) - before, 20'450, 2);
    ASSERT_EQ(d1000_immediate_stop(id(Axis::L)), 0);
    EXPECT_EQ(d1000_check_done(id(Axis::L)), 2);
    const int32_t stopped = pos(Axis::L);
    advance(1.0);
    EXPECT_EQ(pos(Axis::L), stopped);

    // Negative direction, then a decelerating stop: 0.03 s from 20000 down to
    // 10000 pulses/s covers 450 pulses.
    ASSERT_EQ(d1000_start_sv_move(id(Axis::L), 10'000, -20'000, 0.03), 0);
    advance(0.5);
    const int32_t atStop = pos(Axis::L);
    ASSERT_EQ(d1000_decel_stop(id(Axis::L)), 0);
    advance(0.02);
    EXPECT_EQ(d1000_check_done(id(Axis::L)), 0);
    advance(0.011);
    EXPECT_EQ(d1000_check_done(id(Axis::L)), 4);
    EXPECT_NEAR(atStop - pos(Axis::L), 450, 2);
}

TEST_F(AxisTest, MoveIntoALimitStopsAtItWithCode3) {
    // X's positive limit is at 460 mm, 455 mm from its power-on position.
    ASSERT_EQ(d1000_start_t_move(id(Axis::X), 1'000'000, 200'000, 600'000, 0.03), 0);
    EXPECT_EQ(waitDone(Axis::X), 3);
    EXPECT_DOUBLE_EQ(machine().axisPosition(Axis::X), 460.0);
    EXPECT_EQ(pos(Axis::X), 455'000);
    EXPECT_EQ(status(Axis::X), 0b010);

    // Further into the limit: refused at once.
    ASSERT_EQ(d1000_start_t_move(id(Axis::X), 1000, 200'000, 600'000, 0.03), 0);
    EXPECT_EQ(d1000_check_done(id(Axis::X)), 3);
    EXPECT_EQ(pos(Axis::X), 455'000);
    ASSERT_EQ(d1000_start_tv_move(id(Axis::X), 1000, 2000, 0.03), 0);
    EXPECT_EQ(d1000_check_done(id(Axis::X)), 3);

    // Away from it: runs normally and the switch clears.
    ASSERT_EQ(d1000_start_t_move(id(Axis::X), -10'000, 200'000, 600'000, 0.03), 0);
    EXPECT_EQ(d1000_check_done(id(Axis::X)), 0);
    EXPECT_EQ(waitDone(Axis::X), 1);
    EXPECT_EQ(status(Axis::X), 0);

    // Negative limit at -10 mm with a constant-speed move.
    ASSERT_EQ(d1000_start_tv_move(id(Axis::X), 200'000, -600'000, 0.03), 0);
    EXPECT_EQ(waitDone(Axis::X), 3);
    EXPECT_DOUBLE_EQ(machine().axisPosition(Axis::X), -10.0);
    EXPECT_EQ(status(Axis::X), 0b001);
}

TEST_F(AxisTest, HomeMoveEndsOnTheOriginSwitch) {
    // X from 5 mm towards negative at 20 mm/s enters the window at 0.3 mm.
    const double start = now();
    ASSERT_EQ(d1000_home_move(id(Axis::X), 10'000, -20'000, 0.03), 0);
    EXPECT_EQ(status(Axis::X) & 0b100, 0);
    EXPECT_EQ(waitDone(Axis::X), 1);
    EXPECT_NEAR(now() - start, 0.03 + (4700 - 450) / 20'000.0, 0.0015);
    EXPECT_DOUBLE_EQ(machine().axisPosition(Axis::X), 0.3);
    EXPECT_EQ(status(Axis::X), 0b100);

    // Starting on the origin it ends at once.
    ASSERT_EQ(d1000_home_move(id(Axis::X), 10'000, 20'000, 0.03), 0);
    EXPECT_EQ(d1000_check_done(id(Axis::X)), 1);

    // The chain's origin comes every pitch: L from 1 mm stops at 12.2 mm.
    ASSERT_EQ(d1000_home_move(id(Axis::L), 750, 1500, 0.03), 0);
    EXPECT_EQ(waitDone(Axis::L), 1);
    EXPECT_DOUBLE_EQ(machine().axisPosition(Axis::L), 12.2);
    EXPECT_EQ(status(Axis::L), 0b100);

    // No origin ahead: Y searching positive from 5 mm ends on its limit.
    machine().placeAxis(Axis::Y, 5.0);
    ASSERT_EQ(d1000_home_move(id(Axis::Y), 10'000, 20'000, 0.03), 0);
    EXPECT_EQ(waitDone(Axis::Y), 3);
    EXPECT_DOUBLE_EQ(machine().axisPosition(Axis::Y), 250.0);
}

TEST_F(AxisTest, LinearInterpolationReachesBothTargetsTogether) {
    const int16_t axes[2] = {id(Axis::X), id(Axis::Y)};
    const int32_t distances[2] = {30'000, -40'000};
    // Path of 50 mm at 50 -> 80 mm/s, 0.03 s ramps.
    const double start = now();
    ASSERT_EQ(d1000_start_t_line(2, axes, distances, 50'000, 80'000, 0.03), 0);
    advance(0.3);
    const double dx = pos(Axis::X);
    const double dy = pos(Axis::Y);
    EXPECT_NEAR(dx / dy, -0.75, 1e-3);
    waitFor([] { return d1000_check_done(id(Axis::X)) != 0 || d1000_check_done(id(Axis::Y)) != 0; },
            10);
    EXPECT_EQ(d1000_check_done(id(Axis::X)), 1);
    EXPECT_EQ(d1000_check_done(id(Axis::Y)), 1);
    const double expected = 0.06 + (50'000 - 2 * 65'000 * 0.03) / 80'000;
    EXPECT_NEAR(now() - start, expected, 0.0015);
    EXPECT_EQ(pos(Axis::X), 30'000);
    EXPECT_EQ(pos(Axis::Y), -40'000);
    const auto stops = machine().platformStops();
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_DOUBLE_EQ(stops[0].x, 30.0);
    EXPECT_DOUBLE_EQ(stops[0].y, -40.0);

    // Absolute line back to the command origin.
    const int32_t targets[2] = {0, 0};
    ASSERT_EQ(d1000_start_ta_line(2, axes, targets, 50'000, 80'000, 0.03), 0);
    EXPECT_EQ(waitDone(Axis::X), 1);
    EXPECT_EQ(d1000_check_done(id(Axis::Y)), 1);
    EXPECT_EQ(pos(Axis::X), 0);
    EXPECT_EQ(pos(Axis::Y), 0);
}

TEST_F(AxisTest, LinearMoveStopsBothAxesAtALimit) {
    const int16_t axes[2] = {id(Axis::X), id(Axis::Y)};
    const int32_t distances[2] = {-100'000, 10'000};  // X meets -10 mm after 15 mm
    ASSERT_EQ(d1000_start_t_line(2, axes, distances, 50'000, 80'000, 0.03), 0);
    EXPECT_EQ(waitDone(Axis::X), 3);
    EXPECT_EQ(d1000_check_done(id(Axis::Y)), 3);
    EXPECT_DOUBLE_EQ(machine().axisPosition(Axis::X), -10.0);
    EXPECT_NEAR(machine().axisPosition(Axis::Y), -5.0 + 1.5, 0.002);
    // Starting into the active limit moves neither axis.
    ASSERT_EQ(d1000_start_t_line(2, axes, distances, 50'000, 80'000, 0.03), 0);
    EXPECT_EQ(d1000_check_done(id(Axis::X)), 3);
    EXPECT_EQ(d1000_check_done(id(Axis::Y)), 3);
    // A stop on one axis of a line stops both.
    const int32_t away[2] = {20'000, 20'000};
    ASSERT_EQ(d1000_start_t_line(2, axes, away, 50'000, 80'000, 0.03), 0);
    advance(0.1);
    ASSERT_EQ(d1000_immediate_stop(id(Axis::Y)), 0);
    EXPECT_EQ(d1000_check_done(id(Axis::X)), 2);
    EXPECT_EQ(d1000_check_done(id(Axis::Y)), 2);
}

TEST_F(AxisTest, CommandPositionIsPhysicalMinusOffset) {
    EXPECT_EQ(pos(Axis::D2), 0);  // the counter starts at 0 at power-on
    ASSERT_EQ(d1000_set_command_pos(id(Axis::D2), 12'345.0), 0);
    EXPECT_EQ(pos(Axis::D2), 12'345);
    ASSERT_EQ(d1000_start_t_move(id(Axis::D2), 1000, 500'000, 700'000, 0.03), 0);
    EXPECT_EQ(waitDone(Axis::D2), 1);
    EXPECT_EQ(pos(Axis::D2), 13'345);
    EXPECT_DOUBLE_EQ(machine().axisPosition(Axis::D2), 0.0);  // power-on -1 mm, +1 mm
    // The switches follow the physical position, not the counter.
    EXPECT_EQ(status(Axis::D2), 0b100);
    ASSERT_EQ(d1000_start_ta_move(id(Axis::D2), 12'345, 500'000.0, 700'000.0, 0.03), 0);
    EXPECT_EQ(waitDone(Axis::D2), 1);
    EXPECT_DOUBLE_EQ(machine().axisPosition(Axis::D2), -1.0);
}

TEST_F(AxisTest, StatusBitPositionsAreConfigurable) {
    MachineConfig c;
    c.statusBitNegativeLimit = 4;
    c.statusBitPositiveLimit = 5;
    c.statusBitOrigin = 6;
    restart(c);
    machine().placeAxis(Axis::D2, 12.0);
    EXPECT_EQ(status(Axis::D2), 1 << 5);
    machine().placeAxis(Axis::D2, -12.0);
    EXPECT_EQ(status(Axis::D2), 1 << 4);
    machine().placeAxis(Axis::D2, 0.1);
    EXPECT_EQ(status(Axis::D2), 1 << 6);
}

TEST_F(AxisTest, OutputModeAndSProfileAreStored) {
    ASSERT_EQ(d1000_set_pls_outmode(id(Axis::P), 1), 0);
    ASSERT_EQ(d1000_set_s_profile(id(Axis::P), 0.2), 0);
    EXPECT_EQ(machine().pulseOutputMode(Axis::P), 1);
    EXPECT_DOUBLE_EQ(machine().sProfileParameter(Axis::P), 0.2);
    EXPECT_EQ(machine().pulseOutputMode(Axis::L), 0);
}

TEST_F(AxisTest, BadArgumentsAreRefused) {
    EXPECT_EQ(d1000_start_t_move(id(Axis::X), 1000, 10, 0, 0.03),
              SimulatedMachine::kErrorBadArgument);
    EXPECT_EQ(d1000_start_tv_move(id(Axis::X), 10, 0, 0.03), SimulatedMachine::kErrorBadArgument);
    const int16_t axes[3] = {0, 1, 2};
    const int32_t d[3] = {1, 2, 3};
    EXPECT_EQ(d1000_start_t_line(3, axes, d, 10, 20, 0.03), SimulatedMachine::kErrorBadArgument);
    const int16_t same[2] = {1, 1};
    EXPECT_EQ(d1000_start_t_line(2, same, d, 10, 20, 0.03), SimulatedMachine::kErrorBadArgument);
    EXPECT_EQ(d1000_start_t_line(2, nullptr, d, 10, 20, 0.03), SimulatedMachine::kErrorBadArgument);
    EXPECT_EQ(d1000_check_done(8), SimulatedMachine::kErrorNoSuchPoint);
    EXPECT_EQ(d1000_check_done(-1), SimulatedMachine::kErrorNoSuchPoint);
}

TEST_F(AxisTest, MissingCardsHaveNoAxesAndNoBits) {
    const WiredPoint& cta = wiring(Output::Cta);             // card 1
    const WiredPoint& ctaOrigin = wiring(Input::CtaOrigin);  // card 1
    const WiredPoint& feederReturn = wiring(Input::FeederReturn);
    const WiredPoint& start = wiring(Input::Start);  // card 0

    EXPECT_EQ(d1000_board_init(), 2);
    EXPECT_EQ(d1000_check_done(7), 1);

    MachineConfig c;
    c.cards = 1;
    restart(c);
    EXPECT_EQ(d1000_board_init(), 1);
    EXPECT_EQ(d1000_check_done(id(Axis::D2)), 1);
    for (int16_t axis = 4; axis < 8; ++axis) {
        EXPECT_EQ(d1000_check_done(axis), SimulatedMachine::kErrorNoSuchPoint);
        EXPECT_EQ(d1000_start_t_move(axis, 100, 10, 20, 0.1), SimulatedMachine::kErrorNoSuchPoint);
        EXPECT_EQ(d1000_home_move(axis, 10, 20, 0.1), SimulatedMachine::kErrorNoSuchPoint);
        EXPECT_EQ(d1000_get_command_pos(axis), 0);
        EXPECT_EQ(d1000_get_axis_status(axis), 0);
        EXPECT_EQ(d1000_immediate_stop(axis), SimulatedMachine::kErrorNoSuchPoint);
    }
    EXPECT_EQ(d1000_out_bit(static_cast<int16_t>(cta.libraryBit()), 0),
              SimulatedMachine::kErrorNoSuchPoint);
    EXPECT_EQ(d1000_get_outbit(static_cast<int16_t>(cta.libraryBit())), 1);
    EXPECT_EQ(d1000_in_bit(static_cast<int16_t>(ctaOrigin.libraryBit())), 1);  // inactive
    EXPECT_EQ(d1000_in_bit(static_cast<int16_t>(feederReturn.libraryBit())),
              0);  // inactive (active high)
    EXPECT_EQ(d1000_in_bit(static_cast<int16_t>(start.libraryBit())), 1);
    EXPECT_EQ(d1000_out_bit(static_cast<int16_t>(wiring(Output::Buzzer).libraryBit()), 0), 0);

    c.cards = 0;
    restart(c);
    EXPECT_EQ(d1000_board_init(), 0);
    EXPECT_EQ(d1000_check_done(0), SimulatedMachine::kErrorNoSuchPoint);
    EXPECT_EQ(d1000_out_bit(static_cast<int16_t>(wiring(Output::Buzzer).libraryBit()), 0),
              SimulatedMachine::kErrorNoSuchPoint);
    machine().pressButton(Button::Start);
    EXPECT_EQ(d1000_in_bit(static_cast<int16_t>(start.libraryBit())), 1);
}

}  // namespace
}  // namespace corvane::sim::testing
