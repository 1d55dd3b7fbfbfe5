// Waiting for a state, not for a fixed time: each test program passes the
// step that lets the program under test move on meanwhile (Qt processes its
// events, a Windows test sleeps while the other process works).
#pragma once

#include <chrono>

namespace morvane::testing {

// Asks `done` until it answers true, running `pumpOnce` between asks; gives
// up once `timeout` has passed. Answers whether `done` came true.
template <class Done, class Pump>
bool WaitUntil(Done done, std::chrono::milliseconds timeout, Pump pumpOnce) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        pumpOnce();
    }
}

}  // namespace morvane::testing
