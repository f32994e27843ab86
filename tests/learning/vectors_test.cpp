// Replays review histories computed by the reference FSRS implementation and checks that every answer leaves
// the same memory here: stability and difficulty to 1e-6 relative, state, step, counts and times exactly.

#include "scheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace learning;

namespace {

struct VectorRow
{
    double retention;
    bool fuzz;
    std::int64_t reviewMs;
    int grade;
    Memory after;
    double retrievabilityBefore;
};

std::map<std::string, std::vector<VectorRow>> readVectors()
{
    std::ifstream in(KARTE_FSRS_VECTORS);
    std::map<std::string, std::vector<VectorRow>> histories;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#' || line.starts_with("history\t"))
            continue;
        std::istringstream fields(line);
        std::string name;
        VectorRow row {};
        int fuzz = 0;
        int index = 0;
        int state = 0;
        fields >> name >> row.retention >> fuzz >> index >> row.reviewMs >> row.grade >> state >> row.after.step
            >> row.after.stability >> row.after.difficulty >> row.after.dueMs >> row.after.lastReviewMs
            >> row.after.reps >> row.after.lapses >> row.retrievabilityBefore;
        EXPECT_FALSE(fields.fail()) << line;
        row.fuzz = fuzz != 0;
        row.after.state = static_cast<State>(state);
        histories[name].push_back(row);
    }
    return histories;
}

double relativeError(double ours, double theirs)
{
    return std::abs(ours - theirs) / std::max(std::abs(theirs), 1e-12);
}

} // namespace

TEST(ReferenceVectors, EveryAnswerOfEveryHistoryMatches)
{
    const auto histories = readVectors();
    ASSERT_GE(histories.size(), 30u);
    double worst = 0;
    std::size_t answers = 0;
    for (const auto& [name, rows] : histories) {
        SchedulerSettings settings;
        settings.desiredRetention = rows.front().retention;
        settings.fuzz = rows.front().fuzz;
        const Scheduler scheduler(settings);
        Memory memory;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const VectorRow& expected = rows[i];
            SCOPED_TRACE(name + " answer " + std::to_string(i));
            EXPECT_NEAR(retrievability(memory, expected.reviewMs), expected.retrievabilityBefore, 1e-9);
            memory = scheduler.review(memory, static_cast<Grade>(expected.grade), expected.reviewMs);
            const Memory& want = expected.after;
            EXPECT_EQ(memory.state, want.state);
            EXPECT_EQ(memory.step, want.step);
            EXPECT_LE(relativeError(memory.stability, want.stability), 1e-6) << memory.stability;
            EXPECT_LE(relativeError(memory.difficulty, want.difficulty), 1e-6) << memory.difficulty;
            EXPECT_EQ(memory.dueMs, want.dueMs);
            EXPECT_EQ(memory.lastReviewMs, want.lastReviewMs);
            EXPECT_EQ(memory.reps, want.reps);
            EXPECT_EQ(memory.lapses, want.lapses);
            worst = std::max({ worst, relativeError(memory.stability, want.stability),
                relativeError(memory.difficulty, want.difficulty) });
            // Go on from the reference's memory so that one difference is reported once, not in every later row.
            memory = want;
            ++answers;
        }
    }
    std::cout << answers << " answers in " << histories.size() << " histories, largest relative difference " << worst
              << "\n";
}
