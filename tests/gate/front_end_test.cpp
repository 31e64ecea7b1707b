#include "gate/front_end.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <optional>
#include <stdexcept>

#include "support/case_name.h"
#include "support/fakes.h"

namespace mirutoka::gate {
namespace {

using platform::ErrorNumber;
using platform::RunTimeError;

struct HandlerCase {
    const char* name;
    std::function<void()> handler;
    std::optional<int> reported;
};

class EventHandler : public ::testing::TestWithParam<HandlerCase> {};

TEST_P(EventHandler, ReportsWhatNobodyTrapped) {
    testing::FakeErrorReport report;
    run_event_handler(GetParam().handler, report);
    if (!GetParam().reported) {
        EXPECT_TRUE(report.reported.empty());
        return;
    }
    ASSERT_EQ(report.reported.size(), 1U);
    EXPECT_EQ(report.reported.front().number(), *GetParam().reported);
    EXPECT_FALSE(report.reported.front().description().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EventHandler,
    ::testing::Values(HandlerCase{"no_error", [] {}, std::nullopt},
                      HandlerCase{"run_time_error",
                                  [] { throw RunTimeError(ErrorNumber::InputPastEndOfFile, "end"); }, 62},
                      HandlerCase{"out_of_memory", [] { throw std::bad_alloc(); }, 7},
                      HandlerCase{"anything_else", [] { throw std::logic_error("bug"); }, 51}),
    testing::CaseName());

}  // namespace
}  // namespace mirutoka::gate
