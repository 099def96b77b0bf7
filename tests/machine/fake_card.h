// A recording stand-in for the motion cards: every d1000_* call is logged
// with its arguments, and the answers are set by the test.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace fake_card {

struct Call {
    std::string name;
    std::vector<double> args;  // in argument order; arrays are flattened
};

struct State {
    int cards = 2;
    // Done codes answered by d1000_check_done per axis; the last one repeats.
    std::map<int, std::deque<int>> done;
    std::map<int, int> status;    // axis status words
    std::map<int, int32_t> position;
    std::map<int, int> inputs;    // input bit levels (default 1)
    std::map<int, int> outputs;   // written output levels (default 1)
    std::vector<Call> calls;
    int doneReads = 0;
};

// Resets to two cards, no calls, every input and output at level 1.
void reset();
State& state();
std::mutex& mutex();
// Calls with a given name, in order.
std::vector<Call> callsNamed(const std::string& name);

}  // namespace fake_card
