#include "memory.h"

#include <algorithm>
#include <cmath>

namespace learning {

namespace {

constexpr double kMinStability = 0.001;
constexpr double kMaxStability = 36500;

bool knownState(State state)
{
    switch (state) {
    case State::New:
    case State::Learning:
    case State::Review:
    case State::Relearning:
        return true;
    }
    return false;
}

} // namespace

Memory sanitized(const Memory& memory)
{
    Memory result = memory;
    result.reps = std::max(0, memory.reps);
    result.lapses = std::max(0, memory.lapses);
    if (!knownState(memory.state) || memory.state == State::New || !std::isfinite(memory.stability)
        || !std::isfinite(memory.difficulty) || memory.stability <= 0) {
        return Memory { State::New, 0, 0, 0, 0, 0, result.reps, result.lapses };
    }
    result.stability = std::clamp(memory.stability, kMinStability, kMaxStability);
    result.difficulty = std::clamp(memory.difficulty, 1.0, 10.0);
    result.step = memory.state == State::Review ? 0 : std::max(0, memory.step);
    result.lastReviewMs = std::max<std::int64_t>(0, memory.lastReviewMs);
    return result;
}

} // namespace learning
