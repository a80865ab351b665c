#include "common/checked_math.h"
#include "common/failure.h"
#include "common/twips.h"
#include "support/recording_reporter.h"

#include <gtest/gtest.h>

#include <limits>

namespace tovira {
namespace {

using testing::RecordingReporter;
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(FailureMessage, CarriesTheThreeDigitCode) {
  EXPECT_EQ(FailureMessage(ErrorCode::StartClick), u"(CODE:001)致命的なエラー発生");
  EXPECT_EQ(FailureMessage(ErrorCode::ClockTimer), u"(CODE:013)致命的なエラー発生");
  EXPECT_EQ(FailureMessage(ErrorCode::DrawDialHand), u"(CODE:109)致命的なエラー発生");
}

TEST(Guarded, ReportsTheFaultOnceAndStopsTheOperation) {
  RecordingReporter reporter;
  int stepsDone = 0;
  const bool ok = Guarded(ErrorCode::LapClick, [&] {
    ++stepsDone;
    CheckedAdd(kMax, 1);
    ++stepsDone;
  });
  EXPECT_FALSE(ok);
  EXPECT_EQ(stepsDone, 1);
  EXPECT_EQ(reporter.codes, std::vector<ErrorCode>{ErrorCode::LapClick});
}

TEST(Guarded, InnerGuardReportsAndTheOuterOperationCarriesOn) {
  RecordingReporter reporter;
  bool outerFinished = false;
  EXPECT_TRUE(Guarded(ErrorCode::StartClick, [&] {
    Guarded(ErrorCode::RecordStop, [] { RaiseFault("inner"); });
    outerFinished = true;
  }));
  EXPECT_TRUE(outerFinished);
  EXPECT_EQ(reporter.codes, std::vector<ErrorCode>{ErrorCode::RecordStop});
}

TEST(Guarded, UnguardedFaultGoesToTheCallersGuard) {
  RecordingReporter reporter;
  auto unguardedOption = [] { RaiseFault("option"); };
  Guarded(ErrorCode::Load, unguardedOption);
  EXPECT_EQ(reporter.codes, std::vector<ErrorCode>{ErrorCode::Load});
}

TEST(CheckedMath, RaisesAtTheEdgesOfTheRange) {
  EXPECT_EQ(CheckedAdd(kMax - 1, 1), kMax);
  EXPECT_THROW(CheckedAdd(kMax, 1), Fault);
  EXPECT_THROW(CheckedAdd(kMin, -1), Fault);
  EXPECT_EQ(CheckedSub(0, kMax), -kMax);
  EXPECT_THROW(CheckedSub(kMin, 1), Fault);
  EXPECT_THROW(CheckedMul(65536, 32768), Fault);
  EXPECT_EQ(CheckedMul(-65536, 32768), kMin);
}

TEST(RoundToInt32, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundToInt32(2.5), 2);
  EXPECT_EQ(RoundToInt32(3.5), 4);
  EXPECT_EQ(RoundToInt32(-2.5), -2);
  EXPECT_EQ(RoundToInt32(-3.5), -4);
  EXPECT_EQ(RoundToInt32(2.4999), 2);
  EXPECT_EQ(RoundToInt32(1874.5), 1874);
  EXPECT_EQ(RoundToInt32(2147483647.4), kMax);
  EXPECT_THROW(RoundToInt32(2147483647.5), Fault);
  EXPECT_EQ(RoundToInt32(-2147483648.5), kMin);
  EXPECT_THROW(RoundToInt32(-2147483649.0), Fault);
  EXPECT_THROW(RoundToInt32(std::numeric_limits<double>::quiet_NaN()), Fault);
}

TEST(TwipsPerPixel, FollowsTheLogicalDpi) {
  const auto usual = TwipsPerPixel::FromLogicalDpi(96, 96);
  EXPECT_DOUBLE_EQ(usual.x, 15.0);
  EXPECT_EQ(usual.toPixelsX(3870), 258);
  EXPECT_EQ(usual.toPixelsY(6300), 420);
  const auto large = TwipsPerPixel::FromLogicalDpi(120, 144);
  EXPECT_DOUBLE_EQ(large.x, 12.0);
  EXPECT_DOUBLE_EQ(large.y, 10.0);
  EXPECT_EQ(large.toPixelsY(60), 6);
}

}  // namespace
}  // namespace tovira
