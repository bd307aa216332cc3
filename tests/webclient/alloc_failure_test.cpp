// The JSON reader and the request layer when memory runs out. This program
// replaces the global operator new so that a test can make one allocation of
// its own thread fail (the stand-in service's threads are never touched).
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "platform/win32/utf.h"
#include "tests/common/files.h"
#include "tests/common/standin.h"
#include "webclient/HttpClient.h"
#include "webclient/JsonReader.h"

namespace {

thread_local long t_allocationsBeforeFailure = -1;  // -1: none fails
thread_local bool t_failureInjected = false;

// Fails the allocation after the next `n` ones of this thread.
void FailAllocationAfter(long n) {
  t_failureInjected = false;
  t_allocationsBeforeFailure = n;
}

// Disarms the failure; true when it happened.
bool FailureInjected() {
  t_allocationsBeforeFailure = -1;
  return t_failureInjected;
}

}  // namespace

void* operator new(std::size_t size) {
  if (t_allocationsBeforeFailure == 0) {
    t_allocationsBeforeFailure = -1;
    t_failureInjected = true;
    throw std::bad_alloc();
  }
  if (t_allocationsBeforeFailure > 0) --t_allocationsBeforeFailure;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

TEST(JsonAllocFailure, AParseThatRunsOutOfMemoryIsAFailedParse) {
  const std::string text =
      R"({"code":0,"data":{"1":{"id":"1","Label":"Fuji \u00e9 loop"},"list":[1,2.5,true,null,"some text"]}})";
  int failedRuns = 0;
  for (long n = 0;; ++n) {
    JsonReader_C reader;
    std::unique_ptr<CJsonValue> value;
    bool threw = false;
    FailAllocationAfter(n);
    try {
      value.reset(reader.ParseNarrow(text.c_str()));
    } catch (...) {
      threw = true;
    }
    const bool failed = FailureInjected();
    ASSERT_FALSE(threw) << "allocation " << n;
    if (!failed) {
      ASSERT_EQ(value->GetType(), JSON_OBJECT);
      EXPECT_EQ(value->GetMember("data")->GetMember("list")->GetArray()->size(), 5u);
      break;
    }
    ++failedRuns;
    EXPECT_TRUE(!value || value->GetType() == JSON_EMPTY) << "allocation " << n;
  }
  EXPECT_GT(failedRuns, 10);
}

// Builds a value of a request's shape through calls that report failure;
// true when every one of them succeeded.
bool BuildRequestValue(CJsonValue& vals, std::u16string& text) {
  bool ok = vals.SetObject();
  CJsonValue name, laps(JSON_ARRAY);
  ok = name.SetString(u"Suzuka East, a name long enough for the heap") && ok;
  ok = vals.AddMember(u"track_name", name) && ok;
  ok = laps.Append(CJsonValue(83.456)) && ok;
  ok = laps.Append(CJsonValue(int32_t(4))) && ok;
  ok = vals.AddMember(u"laps", laps) && ok;
  CJsonValue* note = vals.GetMember("note_with_a_long_member_name");
  ok = note && note->SetString("caf\xC3\xA9 and a text long enough for the heap") && ok;
  CJsonValue copy;
  ok = copy.CopyFrom(vals) && ok;
  text = copy.Stringify(u"", true);
  return ok && !text.empty();
}

TEST(JsonAllocFailure, BuildingAValueThatRunsOutOfMemoryReportsIt) {
  int failedRuns = 0;
  for (long n = 0;; ++n) {
    CJsonValue vals;
    std::u16string text;
    bool ok = false, threw = false;
    FailAllocationAfter(n);
    try {
      ok = BuildRequestValue(vals, text);
    } catch (...) {
      threw = true;
    }
    const bool failed = FailureInjected();
    ASSERT_FALSE(threw) << "allocation " << n;
    if (!failed) {
      EXPECT_TRUE(ok);
      EXPECT_EQ(Utf16ToUtf8(text),
                " { \"laps\" :  [ 83.4560000000000031 , 4 ]  , \"note_with_a_long_member_name\" : "
                "\"caf\xC3\xA9 and a text long enough for the heap\" , "
                "\"track_name\" : \"Suzuka East, a name long enough for the heap\" } ");
      break;
    }
    ++failedRuns;
    EXPECT_FALSE(ok) << "allocation " << n;
  }
  EXPECT_GT(failedRuns, 10);
}

class HttpAllocFailure : public StandinServiceTest {};

TEST_F(HttpAllocFailure, ARequestThatRunsOutOfMemoryIsAFailedRequest) {
  WriteBytes(m_dir.File("part.db"), std::string(3000, 'p'));
  const std::u16string url = Utf8ToUtf16(m_service->BaseUrl() + "/API/Info.php");
  const std::u16string file = m_dir.WFile("part.db");
  int failedRuns = 0;
  for (long n = 0;; ++n) {
    int rc = -1;
    CString reply;
    bool threw = false;
    FailAllocationAfter(n);
    try {
      CPostMethod post(url.c_str());
      post.AddField(u"Client_id", u"1");
      post.AddField(u"Note", u"a field long enough to need memory of its own");
      post.AddFile(u"qSess", file.c_str(), u"application/octet-stream");
      rc = post.Execute();
      reply = post.GetResponse();
    } catch (...) {
      threw = true;
    }
    const bool failed = FailureInjected();
    ASSERT_FALSE(threw) << "allocation " << n;
    if (!failed) {
      EXPECT_EQ(rc, 0);
      EXPECT_NE(reply.ToUtf8().find("\"code\""), std::string::npos);
      break;
    }
    ++failedRuns;
    EXPECT_TRUE(rc == 1 || reply.IsEmpty()) << "allocation " << n;
  }
  EXPECT_GT(failedRuns, 5);
}
