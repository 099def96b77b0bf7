// Centring on a mark and aligning on two lead holes.
#include "vision/vision_steps.h"

#include <cmath>
#include <vector>

#include "machine/motion_axis.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/message_box.h"
#include "vision/camera_view.h"
#include "vision/search_regions.h"

namespace corvane::vision {

namespace {

void fail(const VisionMotion& motion) {
    if (motion.failureEnglish != nullptr) {
        platform::messageBox(tr(motion.failureEnglish, motion.failureChinese));
    }
}

void movePlatform(const VisionMotion& m, const PlatformMove& move) {
    if (m.eachAxis) {
        m.x->MoveBy(move.x, m.startSpeed, m.maxSpeed);
        m.y->MoveBy(move.y, m.startSpeed, m.maxSpeed);
    } else {
        MoveLine(*m.x, move.x, *m.y, move.y, false, m.startSpeed, m.maxSpeed);
    }
    m.x->WaitDone(m.waitSeconds);
    m.y->WaitDone(m.waitSeconds);
}

bool centred(const PlatformMove& move) {
    return std::fabs(move.x) <= kCentredWithin && std::fabs(move.y) <= kCentredWithin;
}

cv::Point2d pictureCentre(const CameraView& view) {
    const cv::Size size = view.imageSize();
    return {size.width / 2.0, size.height / 2.0};
}

cv::Point2d pointOf(const CircleCandidate& c) {
    return {c.x, c.y};
}

// Searches regions A and B; both holes when each region holds exactly one.
struct Holes {
    cv::Point2d a;
    cv::Point2d b;
};
std::optional<Holes> findHoles(CameraView& view, const MatchingParameters& matching) {
    std::vector<CircleCandidate> a;
    std::vector<CircleCandidate> b;
    view.detectCircles(kDetectRegionA, matching, a);
    view.detectCircles(kDetectRegionB, matching, b);
    if (a.size() != 1 || b.size() != 1) {
        return std::nullopt;
    }
    return Holes{pointOf(a.front()), pointOf(b.front())};
}

std::optional<cv::Point2d> findMark(CameraView& view, const MatchingParameters& matching) {
    std::vector<CircleCandidate> found;
    view.detectCircles(kDetectCentre, matching, found);
    if (found.size() != 1) {
        return std::nullopt;
    }
    return pointOf(found.front());
}

}  // namespace

VisionMotion editorMotion(MotionAxis& x, MotionAxis& y, std::function<void()> pumpMessages) {
    VisionMotion m;
    m.x = &x;
    m.y = &y;
    m.eachAxis = true;
    m.startSpeed = 10;
    m.maxSpeed = 30;
    m.waitSeconds = 30;
    m.settleMs = 200;
    m.afterMoveMs = 100;
    m.pumpMessages = std::move(pumpMessages);
    m.failureEnglish = "Cannot find matching target";
    m.failureChinese = "找不到匹配目标";
    return m;
}

VisionMotion productionMarkMotion(MotionAxis& x, MotionAxis& y) {
    VisionMotion m;
    m.x = &x;
    m.y = &y;
    return m;
}

VisionMotion productionHoleMotion(MotionAxis& x, MotionAxis& y) {
    VisionMotion m = productionMarkMotion(x, y);
    m.afterMoveMs = 100;
    return m;
}

VisionMotion shaftPageMotion(MotionAxis& x, MotionAxis& y, std::function<void()> pumpMessages) {
    VisionMotion m;
    m.x = &x;
    m.y = &y;
    m.startSpeed = 30;
    m.maxSpeed = 50;
    m.waitSeconds = 30;
    m.settleMs = 300;
    m.afterMoveMs = 100;
    m.pumpMessages = std::move(pumpMessages);
    m.failureEnglish = "Cannot find a matching target";
    m.failureChinese = "找不到匹配目标";
    return m;
}

void waitWithMessages(double ms, const std::function<void()>& pumpMessages) {
    const int64_t start = platform::Clock::performanceCounter();
    while (platform::secondsSince(start) * 1000.0 < ms) {
        if (pumpMessages) {
            pumpMessages();
        }
        platform::Clock::sleepMs(1);
    }
}

bool centreOnMark(CameraView& view, const MatchingParameters& matching,
                  const Calibration& calibration, const VisionMotion& motion) {
    view.setDisplayMode(kShowCentre);
    for (int round = 0; round < motion.maxRounds; ++round) {
        view.requestOverlayReset();
        waitWithMessages(motion.settleMs, motion.pumpMessages);
        const auto mark = findMark(view, matching);
        if (!mark) {
            break;
        }
        const auto move = pixelOffsetToMillimetres(*mark, pictureCentre(view), calibration);
        if (!move) {
            break;
        }
        movePlatform(motion, *move);
        waitWithMessages(motion.afterMoveMs, motion.pumpMessages);
        if (centred(*move)) {
            if (findMark(view, matching)) {
                return true;
            }
            break;
        }
    }
    fail(motion);
    return false;
}

std::optional<int> alignOnTwoHoles(CameraView& view, double pitch,
                                   const MatchingParameters& matching,
                                   const Calibration& calibration, const VisionMotion& motion) {
    view.setDisplayMode(kShowHoles);
    bool done = false;
    for (int round = 0; round < motion.maxRounds && !done; ++round) {
        view.requestOverlayReset();
        waitWithMessages(motion.settleMs, motion.pumpMessages);
        const auto holes = findHoles(view, matching);
        if (!holes) {
            break;
        }
        const cv::Point2d target = alignmentTarget(pitch, holes->a, holes->b);
        const auto move = pixelOffsetToMillimetres(target, pictureCentre(view), calibration);
        if (!move) {
            break;
        }
        // The last correction is made too.
        movePlatform(motion, *move);
        waitWithMessages(motion.afterMoveMs, motion.pumpMessages);
        done = centred(*move);
    }
    const auto holes = done ? findHoles(view, matching) : std::nullopt;
    if (!holes) {
        fail(motion);
        return std::nullopt;
    }
    const int angle = snapAngle(holeAngle(holes->a, holes->b));
    view.requestOverlayReset();
    return angle;
}

}  // namespace corvane::vision
