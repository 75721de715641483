// The stopwatch over the machine's counts, and the time at a clock.
#include "simulator/session/stopwatch.h"

#include <gtest/gtest.h>

#include <memory>

#include "simulator/session/run_session.h"

namespace kavrin {
namespace {

// NOPs (memory is all zero) of 3 T-states each.
void RunNops(Machine& m, std::uint64_t count) {
  m.Run({.instructionLimit = count});
}

TEST(Stopwatch, CountsSinceZeroAndStartsAgainAfterAReset) {
  Session session;
  Machine& m = session.machine();
  RunNops(m, 10);
  session.stopwatch.Zero(m);
  RunNops(m, 4);
  EXPECT_EQ(session.stopwatch.Since(m).instructions, 4u);
  EXPECT_EQ(session.stopwatch.Since(m).tStates, 12u);
  EXPECT_EQ(CountsOf(m).instructions, 14u);

  session.ResetCpu();
  RunNops(m, 2);
  EXPECT_EQ(session.stopwatch.Since(m).instructions, 2u);
  // A reset behind the stopwatch's back: the lap starts at the reset.
  session.stopwatch.Zero(m);
  RunNops(m, 3);
  m.Reset();
  RunNops(m, 1);
  EXPECT_EQ(session.stopwatch.Since(m).tStates, 3u);
}

TEST(Stopwatch, TimeAtTheClock) {
  struct Case {
    std::uint64_t tStates;
    double mhz;
    const char* text;
  };
  const Case cases[] = {
      {18432, 18.432, "1.000000 ms"},
      {0, 18.432, "0.000000 ms"},
      {3, 6.0, "0.000500 ms"},
      {1'000'000'000'000ull, 1000.0, "1000000.000000 ms"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SimulatedTime(c.tStates, c.mhz), c.text) << c.tStates << " at " << c.mhz;
  EXPECT_EQ(ClockText(18.432), "18.432 MHz");
  EXPECT_EQ(ClockText(6.0), "6 MHz");
}

} // namespace
} // namespace kavrin
