#include <gtest/gtest.h>

#include <vector>

#include "base/session_bound.h"
#include "calendar/dms.h"
#include "tests/test_support.h"

namespace nemora {
namespace {

using testing::RecordedSession;

// A routine family written the way every class of the program is.
class clsSample : public SessionBound {
 public:
  using SessionBound::SessionBound;
  int checked(int value, bool& blnValid) {
    return guarded(blnValid, "cSample.checked", -1, [&] {
      if (value < 0) raise("Invalid value: ", value);
      if (value == 99) throw AppError(errApplication2, "cSample.inner", "Other fault");
      return value * 2;
    });
  }
  int calls(int value, bool& blnValid) {
    return guarded(blnValid, "cSample.calls", -1, [&] {
      bool inner = true;
      int r = checked(value, inner);
      if (!inner) abandon();
      return r + 1;
    });
  }
  void fatal(bool& blnValid) {
    guardedVoid(blnValid, "cSample.fatal", [&] { raise("Bad table entry ", 7); },
                endsProgram("Sorry cannot continue"));
  }
};

TEST(ErrorConvention, HandlerShowsTheMessageAndClearsTheFlag) {
  RecordedSession s;
  clsSample sample(s.session);
  bool ok = false;
  EXPECT_EQ(sample.checked(4, ok), 8);
  EXPECT_TRUE(ok);
  EXPECT_EQ(sample.checked(-3, ok), -1);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.messages, std::vector<std::string>{"Error in cSample.checked, Invalid value: -3"});
}

TEST(ErrorConvention, CallerStopsWithoutASecondMessage) {
  RecordedSession s;
  clsSample sample(s.session);
  bool ok = true;
  EXPECT_EQ(sample.calls(-3, ok), -1);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.messages.size(), 1u);
}

TEST(ErrorConvention, OtherCodesPassUnchanged) {
  RecordedSession s;
  clsSample sample(s.session);
  bool ok = true;
  try {
    sample.calls(99, ok);
    FAIL() << "expected the fault to reach the caller";
  } catch (const AppError& e) {
    EXPECT_EQ(e.code, errApplication2);
    EXPECT_EQ(e.source, "cSample.inner");
    EXPECT_EQ(e.description, "Other fault");
  }
  EXPECT_TRUE(s.sink.messages.empty());
}

TEST(ErrorConvention, FatalMessageHasItsSecondLineAndEndsTheProgram) {
  RecordedSession s;
  clsSample sample(s.session);
  bool ok = true;
  try {
    sample.fatal(ok);
    FAIL() << "expected the program to end";
  } catch (const ProgramEnd& end) {
    EXPECT_EQ(end.message, "Error in cSample.fatal, Bad table entry 7\nSorry cannot continue");
    EXPECT_NE(end.status, 0);
  }
  EXPECT_EQ(s.sink.messages, std::vector<std::string>{"Error in cSample.fatal, Bad table entry 7\nSorry cannot continue"});
  EXPECT_EQ(errValidation, static_cast<int32_t>(0x80040001u));
}

TEST(Dms, SplitAndJoin) {
  RecordedSession s;
  clsDMS dms(s.session);
  udtDms r;
  ASSERT_TRUE(dms.ToDMS(-10.5, r, true));
  EXPECT_EQ(r.intDegreesHours, 10);
  EXPECT_EQ(r.intMinutes, 30);
  EXPECT_EQ(r.dblSeconds, 0.0);
  EXPECT_FALSE(r.blnPositive);
  bool ok = false;
  EXPECT_DOUBLE_EQ(dms.FromDMS(r, ok), -10.5);
  EXPECT_TRUE(ok);

  ASSERT_TRUE(dms.ToDMS(10.999999, r, false));
  EXPECT_EQ(r.intDegreesHours, 11);
  EXPECT_EQ(r.intMinutes, 0);

  ASSERT_TRUE(dms.ToDMS(1.0 / 7200, r, true));  // half a second
  EXPECT_DOUBLE_EQ(r.dblSeconds, 0.5);
  EXPECT_TRUE(s.sink.messages.empty());

  const std::string secondLine = "\nData from last saved location corrupted or missing. Loading default location.";
  EXPECT_FALSE(dms.ToDMS(59653, r, true));
  EXPECT_EQ(s.sink.last(), "Error in clsDMS.ToDMS, dblX out of range: 59653" + secondLine);

  udtDms bad{10, 60, 0, true};
  EXPECT_EQ(dms.FromDMS(bad, ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(s.sink.last(), "Error in clsDMS.FromDMS, udtDms.intminutes out of range: 60" + secondLine);
  bad = {-1, 0, 0, true};
  dms.FromDMS(bad, ok);
  EXPECT_EQ(s.sink.last(), "Error in clsDMS.FromDMS, udtDms.intDegreeshours out of range: -1" + secondLine);
  bad = {1, 0, 60, true};
  dms.FromDMS(bad, ok);
  EXPECT_EQ(s.sink.last(), "Error in clsDMS.FromDMS, udtDms.intseconds out of range: 60" + secondLine);
}

TEST(Session, FormatsAndDecimalAtStart) {
  RecordedSession s;
  EXPECT_EQ(s.session.strFormats[0], "#########0");
  EXPECT_EQ(s.session.strFormats[3], "#########0.000");
  EXPECT_EQ(s.session.strFormats[8], "#########0.00000000");
  EXPECT_EQ(s.session.strDecimal, ".");
  EXPECT_EQ(s.session.intLanguage, 0);
}

}  // namespace
}  // namespace nemora
