// Cylinders: travel times behind their outputs, end sensors, slowed and
// jammed cylinders.
#include <gtest/gtest.h>

#include "sim_fixture.h"

namespace corvane::sim::testing {
namespace {

class CylinderTest : public SimFixture {};

TEST_F(CylinderTest, CtaTravelsIn40Milliseconds) {
    set(Output::Cta, true);
    advance(0.001);
    EXPECT_FALSE(active(Input::CtaOrigin));
    EXPECT_FALSE(active(Input::CtaTarget));
    advance(0.038);
    EXPECT_FALSE(active(Input::CtaTarget));
    advance(0.002);
    EXPECT_TRUE(active(Input::CtaTarget));
    set(Output::Cta, false);
    EXPECT_FALSE(active(Input::CtaOrigin));
    EXPECT_TRUE(waitActive(Input::CtaOrigin, 0.12));
}

TEST_F(CylinderTest, ForfexSeatAndForfex) {
    set(Output::ForfexSeat, true);
    advance(0.001);
    EXPECT_FALSE(active(Input::ForfexSeatOrigin));
    set(Output::Forfex, true);
    EXPECT_FALSE(active(Input::ForfexSeatTarget));
    EXPECT_TRUE(waitActive(Input::ForfexSeatTarget, 0.12));
    set(Output::Forfex, false);
    set(Output::ForfexSeat, false);
    EXPECT_TRUE(waitActive(Input::ForfexSeatOrigin, 0.15));
    EXPECT_FALSE(active(Input::ForfexSeatTarget));
}

TEST_F(CylinderTest, LiftsTake300Milliseconds) {
    set(Output::LoadLift, true);
    set(Output::UnloadLift, true);
    advance(0.299);
    EXPECT_FALSE(active(Input::LoadLiftTarget));
    EXPECT_FALSE(active(Input::LoadLiftOrigin));
    advance(0.002);
    EXPECT_TRUE(active(Input::LoadLiftTarget));
    EXPECT_TRUE(active(Input::UnloadLiftTarget));
    set(Output::LoadLift, false);
    EXPECT_TRUE(waitActive(Input::LoadLiftOrigin, 3.0));
    EXPECT_TRUE(active(Input::UnloadLiftTarget));
}

TEST_F(CylinderTest, BoardFixingClosesWhenBothOutputsAreOff) {
    EXPECT_TRUE(active(Input::PcbFixing));  // closed at power-on: both outputs off
    set(Output::PcbFixing1, true);
    advance(0.001);
    EXPECT_FALSE(active(Input::PcbFixing));
    set(Output::PcbFixing2, true);
    advance(0.1);
    set(Output::PcbFixing1, false);
    advance(0.1);
    EXPECT_FALSE(active(Input::PcbFixing));  // one is still on
    set(Output::PcbFixing2, false);
    advance(0.039);
    EXPECT_FALSE(active(Input::PcbFixing));
    advance(0.002);
    EXPECT_TRUE(active(Input::PcbFixing));
}

TEST_F(CylinderTest, JammedCylinderSticksHalfwayUntilReleased) {
    machine().setCylinderJammed(Cylinder::Cta, true);
    advance(0.5);
    EXPECT_TRUE(active(Input::CtaOrigin));  // a jam alone moves nothing
    set(Output::Cta, true);
    advance(1.0);
    EXPECT_FALSE(active(Input::CtaTarget));
    EXPECT_FALSE(active(Input::CtaOrigin));
    EXPECT_DOUBLE_EQ(machine().cylinderPosition(Cylinder::Cta), 0.5);
    machine().setCylinderJammed(Cylinder::Cta, false);
    advance(0.019);
    EXPECT_FALSE(active(Input::CtaTarget));
    advance(0.002);
    EXPECT_TRUE(active(Input::CtaTarget));

    // A jammed lift on its way down: never back at its origin.
    set(Output::LoadLift, true);
    advance(0.4);
    machine().setCylinderJammed(Cylinder::LoadLift, true);
    set(Output::LoadLift, false);
    advance(3.0);
    EXPECT_FALSE(active(Input::LoadLiftOrigin));
    EXPECT_FALSE(active(Input::LoadLiftTarget));
    machine().clearFaults();
    EXPECT_TRUE(waitActive(Input::LoadLiftOrigin, 0.2));
}

TEST_F(CylinderTest, SlowedCylinderTakesLonger) {
    machine().setCylinderSlowdown(Cylinder::Forfex, 4.0);
    set(Output::Forfex, true);
    advance(0.12);
    EXPECT_FALSE(active(Input::ForfexSeatTarget));
    advance(0.041);
    EXPECT_TRUE(active(Input::ForfexSeatTarget));
}

}  // namespace
}  // namespace corvane::sim::testing
