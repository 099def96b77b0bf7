// Recording motion-card backend for unit tests of the axis and I/O layers.
#include "fake_card.h"

#include "machine/d1000.h"

namespace fake_card {

std::mutex& mutex() {
    static std::mutex m;
    return m;
}

State& state() {
    static State s;
    return s;
}

void reset() {
    std::lock_guard lock(mutex());
    state() = State{};
}

std::vector<Call> callsNamed(const std::string& name) {
    std::lock_guard lock(mutex());
    std::vector<Call> result;
    for (const auto& c : state().calls) {
        if (c.name == name) result.push_back(c);
    }
    return result;
}

namespace {

int record(const char* name, std::vector<double> args) {
    std::lock_guard lock(mutex());
    state().calls.push_back({name, std::move(args)});
    return 0;
}

}  // namespace

}  // namespace fake_card

using fake_card::record;

extern "C" {

int d1000_board_init(void) {
    record("board_init", {});
    return fake_card::state().cards;
}
int d1000_set_pls_outmode(int16_t axis, int32_t mode) { return record("set_pls_outmode", {double(axis), double(mode)}); }
int d1000_set_s_profile(int16_t axis, double s) { return record("set_s_profile", {double(axis), s}); }
int d1000_start_t_move(int16_t a, int32_t d, int32_t s, int32_t m, double t) { return record("start_t_move", {double(a), double(d), double(s), double(m), t}); }
int d1000_start_s_move(int16_t a, int32_t d, int32_t s, int32_t m, double t) { return record("start_s_move", {double(a), double(d), double(s), double(m), t}); }
int d1000_start_ta_move(int16_t a, int32_t p, double s, double m, double t) { return record("start_ta_move", {double(a), double(p), s, m, t}); }
int d1000_start_sa_move(int16_t a, int32_t p, int32_t s, int32_t m, double t) { return record("start_sa_move", {double(a), double(p), double(s), double(m), t}); }
int d1000_start_tv_move(int16_t a, int32_t s, int32_t m, double t) { return record("start_tv_move", {double(a), double(s), double(m), t}); }
int d1000_start_sv_move(int16_t a, int32_t s, int32_t m, double t) { return record("start_sv_move", {double(a), double(s), double(m), t}); }
int d1000_home_move(int16_t a, int32_t s, int32_t m, double t) { return record("home_move", {double(a), double(s), double(m), t}); }
int d1000_start_t_line(int16_t n, const int16_t* ax, const int32_t* d, int32_t s, int32_t m, double t) {
    return record("start_t_line", {double(n), double(ax[0]), double(ax[1]), double(d[0]), double(d[1]), double(s), double(m), t});
}
int d1000_start_ta_line(int16_t n, const int16_t* ax, const int32_t* d, int32_t s, int32_t m, double t) {
    return record("start_ta_line", {double(n), double(ax[0]), double(ax[1]), double(d[0]), double(d[1]), double(s), double(m), t});
}
int d1000_check_done(int16_t axis) {
    std::lock_guard lock(fake_card::mutex());
    auto& s = fake_card::state();
    ++s.doneReads;
    auto& q = s.done[axis];
    if (q.empty()) return 1;
    const int code = q.front();
    if (q.size() > 1) q.pop_front();
    return code;
}
int32_t d1000_get_command_pos(int16_t axis) {
    std::lock_guard lock(fake_card::mutex());
    return fake_card::state().position[axis];
}
int d1000_set_command_pos(int16_t axis, double pos) {
    record("set_command_pos", {double(axis), pos});
    std::lock_guard lock(fake_card::mutex());
    fake_card::state().position[axis] = static_cast<int32_t>(pos);
    return 0;
}
int d1000_get_axis_status(int16_t axis) {
    std::lock_guard lock(fake_card::mutex());
    return fake_card::state().status[axis];
}
int d1000_decel_stop(int16_t axis) { return record("decel_stop", {double(axis)}); }
int d1000_immediate_stop(int16_t axis) { return record("immediate_stop", {double(axis)}); }
int d1000_in_bit(int16_t bit) {
    std::lock_guard lock(fake_card::mutex());
    auto& in = fake_card::state().inputs;
    auto it = in.find(bit);
    return it == in.end() ? 1 : it->second;
}
int d1000_get_outbit(int16_t bit) {
    std::lock_guard lock(fake_card::mutex());
    auto& out = fake_card::state().outputs;
    auto it = out.find(bit);
    return it == out.end() ? 1 : it->second;
}
int d1000_out_bit(int16_t bit, int16_t level) {
    record("out_bit", {double(bit), double(level)});
    std::lock_guard lock(fake_card::mutex());
    fake_card::state().outputs[bit] = level;
    return 0;
}

}  // extern "C"
