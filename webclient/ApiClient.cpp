#include "webclient/ApiClient.h"

#include <cryptopp/osrng.h>

#include <limits>
#include <memory>
#include <string>

#include "datafiles/DataFiles.h"
#include "icbase/src/icutil/paths.h"
#include "platform/win32/files.h"
#include "platform/win32/format.h"
#include "platform/win32/utf.h"
#include "platform/win32/wstr.h"
#include "webclient/HttpClient.h"
#include "webclient/JsonReader.h"
#include "webclient/JsonValue.h"
#include "webclient/LoginCipher.h"
#include "webclient/SessionSummary.h"
#include "webclient/deploy.h"

namespace {

constexpr long kSmallRequestSeconds = 30;
constexpr int kStateLength = 16;
constexpr const char16_t* kFileType = u"application/octet-stream";

std::atomic<ApiHost*> g_host{nullptr};
std::atomic<long> g_uploadTimeLimit{0};

std::u16string PageUrl(const char* page) { return Utf8ToUtf16(DeployServiceBase() + "/API/" + page); }

std::u16string Decimal(int64_t v) { return FormatW(u"%lld", static_cast<long long>(v)); }

int32_t ClampToInt32(int64_t v) {
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

// The registered store with the stored user in `user`; null (nothing to
// send) when there is no store or no token is stored.
ApiUserStore* StoredUser(UserInfoRecord& user) {
  ApiUserStore* store = GetApiUserStore();
  if (!store) return nullptr;
  store->GetLastUser(user);
  return user.token.IsEmpty() ? nullptr : store;
}

// The four fields every call but the login starts with.
void AddUserFields(CPostMethod& post, const UserInfoRecord& user) {
  post.AddField(u"Client_id", Decimal(DeployAppNumber()).c_str());
  post.AddField(u"Access_Token", user.token);
  post.AddField(u"State", Utf8ToUtf16(DeployStateText()).c_str());
  post.AddField(u"UserID", Decimal(user.uid).c_str());
}

// The reply read whole; null when the reader could not read all of it (a
// reply cut short still parses as far as it goes, and half a track list or
// half a name must never be taken for the service's answer). A repeated
// member name is reported by the reader but leaves a whole, valid text whose
// first member is kept: that reply is read.
std::unique_ptr<CJsonValue> ReadReply(const CString& body) {
  JsonReader_C reader;
  std::unique_ptr<CJsonValue> reply(reader.Parse(body.GetString(), body.GetLength()));
  for (const JsonReadErrorRec& error : reader.GetErrors())
    if (error.code != JSON_ERR_DUPLICATE) return nullptr;
  return reply;
}

// Performs the request and reads its reply; null when the transfer failed or
// the reply could not be read whole.
std::unique_ptr<CJsonValue> Perform(CPostMethod& post) {
  if (post.Execute() != 0) return nullptr;
  return ReadReply(post.GetResponse());
}

// A member of an object, without adding it when it is absent; null when
// `v` is not an object or has no such member.
const CJsonValue* Member(const CJsonValue* v, const char16_t* name) {
  const CJsonObject* members = v ? v->GetObject() : nullptr;
  if (!members) return nullptr;
  auto it = members->find(name);
  return it == members->end() ? nullptr : it->second.get();
}

const CJsonValue* ObjectMember(const CJsonValue* v, const char16_t* name) {
  const CJsonValue* m = Member(v, name);
  return m && m->GetType() == JSON_OBJECT ? m : nullptr;
}

bool IsNumber(const CJsonValue* v) { return v && (v->GetType() == JSON_INT64 || v->GetType() == JSON_DOUBLE); }

// A member that the service sends as a number or as decimal text; 0 when it
// is neither (text is read as far as it is a number).
int32_t IntMember(const CJsonValue* v, const char16_t* name) {
  const CJsonValue* m = Member(v, name);
  if (IsNumber(m)) return ClampToInt32(m->GetInt64());
  if (m && m->GetType() == JSON_STRING) return WStrToInt(m->GetString());
  return 0;
}

// A text member, taken whole; empty when it is absent or not a text. Every
// text the client reads is a name, a file name or a credential, which goes
// on as a text that ends at its first U+0000: one that holds U+0000 would
// become another value there, so it makes the reply malformed (false).
bool TextMember(const CJsonValue* v, const char16_t* name, CString& out) {
  const CJsonValue* m = Member(v, name);
  const std::u16string_view text = m ? m->GetStringView() : std::u16string_view();
  if (text.find(u'\0') != std::u16string_view::npos) return false;
  out = CString(std::u16string(text));
  return true;
}

// The reply's numeric "code"; false when the reply is not an object or its
// code is missing or not a number.
bool ReplyCode(const CJsonValue* reply, int32_t& code) {
  const CJsonValue* c = Member(reply, u"code");
  if (!IsNumber(c)) return false;
  code = ClampToInt32(c->GetInt64());
  return true;
}

// The login's State text: 16 characters drawn from the digits and letters by
// the operating system's random source. Empty when that source fails.
std::u16string RandomState() {
  static const char16_t kAlphabet[] = u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  std::u16string state;
  try {
    CryptoPP::AutoSeededRandomPool random;
    for (int i = 0; i < kStateLength; ++i) state.push_back(kAlphabet[random.GenerateWord32(0, 61)]);
  } catch (const CryptoPP::Exception&) {
    state.clear();
  }
  return state;
}

// The user to store after an accepted login: the stored one when the same
// account logs in again, else a fresh record with the typed e-mail.
UserInfoRecord LoggedInUser(ApiUserStore& store, int32_t uid, const CString& token, const CString& email) {
  UserInfoRecord user;
  store.GetLastUser(user);
  if (user.uid != uid) {
    user = UserInfoRecord();
    user.uid = uid;
    user.email = email;
  }
  user.token = token;
  return user;
}

const char16_t* RaceTypeName(int32_t raceType) {
  switch (raceType) {
    case kRaceEndurance:
    case kRaceSprint:
    case kRaceQualify:
    case kRaceOther:
      return u"Circuit";
    case kRaceDrag:
      return u"Drag";
    case kRaceRally:
      return u"Rally";
    default:
      return u"";
  }
}

// The "Vals" text: the session's summary as one JSON object.
std::u16string SummaryJson(const SessionSummary& s) {
  CJsonValue vals(JSON_OBJECT);
  auto add = [&vals](const char16_t* name, const CJsonValue& value) { vals.AddMember(name, value); };
  add(u"track_id", CJsonValue(s.mapId));
  add(u"track_name", CJsonValue(s.mName.Str()));
  add(u"unit", CJsonValue(s.unit));
  add(u"timezone", CJsonValue(s.timezone));
  add(u"Note", CJsonValue(s.desc.Str()));
  add(u"start", CJsonValue(s.startTime));
  add(u"duration", CJsonValue(s.duration));
  add(u"distance", CJsonValue(s.distance));
  add(u"MaxSpd", CJsonValue(s.maxSpd));
  add(u"MinSpd", CJsonValue(s.minSpd));
  add(u"AvgSpd", CJsonValue(s.avgSpd));
  add(u"MaxAlti", CJsonValue(s.maxAlt));
  add(u"MinAlti", CJsonValue(s.minAlt));
  add(u"AvgAlti", CJsonValue(s.avgAlt));
  add(u"MaxG", CJsonValue(s.maxG));
  add(u"MinG", CJsonValue(s.minG));
  add(u"AvgG", CJsonValue(s.avgG));
  add(u"Laps", CJsonValue(s.laps));
  add(u"BestLap", CJsonValue(s.bestLap));
  add(u"BestLapTime", CJsonValue(s.bestLapTime));
  add(u"type", CJsonValue(RaceTypeName(s.raceType)));
  return vals.Stringify(u"", true);
}

}  // namespace

void SetApiHost(ApiHost* host) { g_host.store(host); }
ApiUserStore* GetApiUserStore() {
  ApiHost* host = g_host.load();
  return host != nullptr ? host->UserStore() : nullptr;
}
void SetApiUploadTimeLimit(long seconds) { g_uploadTimeLimit.store(seconds > 0 ? seconds : 0); }

std::atomic<int32_t>& GetLoginState() {
  static std::atomic<int32_t> state{kLoginNone};
  return state;
}

bool ApiLogin(std::atomic<int32_t>& loginState, const CString& email, const CString& password) {
  loginState = kLoginNone;
  ApiUserStore* store = GetApiUserStore();
  const std::u16string state = RandomState();
  if (!store || state.empty()) return false;
  const std::string iv = Utf16ToUtf8(state);
  const BYTE* ivBytes = reinterpret_cast<const BYTE*>(iv.data());
  const std::u16string clientToken = FormatW(u"%d:%S", static_cast<int>(DeployAppNumber()), DeployCipherKey().c_str());
  const std::u16string credentials = FormatW(u"%s:%s", email.GetString(), password.GetString());

  CPostMethod post(PageUrl("login.php").c_str());
  post.SetTimeLimit(kSmallRequestSeconds, TransferDeadline::Growth::kNone);
  post.AddField(u"Client_id", Decimal(DeployAppNumber()).c_str());
  post.AddField(u"Client_token", EncryptPayload(clientToken.c_str(), ivBytes).c_str());
  post.AddField(u"State", state.c_str());
  post.AddField(u"User", EncryptPayload(credentials.c_str(), ivBytes).c_str());
  const std::unique_ptr<CJsonValue> reply = Perform(post);

  int32_t code = 0;
  if (!reply || !ReplyCode(reply.get(), code) || (code != 0 && code != 216)) return false;
  CString token;
  const int32_t uid = IntMember(reply.get(), u"user_id");
  if (!TextMember(reply.get(), u"access_token", token) || token.IsEmpty() || uid <= 0) return false;

  const UserInfoRecord user = LoggedInUser(*store, uid, token, email);
  const CJsonValue* verify = Member(reply.get(), u"VerifyAcc");
  store->Save(user);
  loginState = verify && verify->GetType() == JSON_STRING ? kLoginVerified : kLoginUnverified;
  return true;
}

bool ApiGetInfo() {
  UserInfoRecord user;
  ApiUserStore* store = StoredUser(user);
  if (!store) return false;
  CPostMethod post(PageUrl("Info.php").c_str());
  post.SetTimeLimit(kSmallRequestSeconds, TransferDeadline::Growth::kNone);
  AddUserFields(post, user);
  const std::unique_ptr<CJsonValue> reply = Perform(post);
  const CJsonValue* profile = ObjectMember(ObjectMember(reply.get(), u"data"), u"1");
  if (!profile) return false;
  user.gender = IntMember(profile, u"gender");
  if (!TextMember(profile, u"Account", user.email) || !TextMember(profile, u"Name", user.name) ||
      !TextMember(profile, u"locate", user.country) || !TextMember(profile, u"language", user.language))
    return false;
  store->Save(user);
  return true;
}

void ApiLogout() {
  UserInfoRecord user;
  if (!StoredUser(user)) return;
  CPostMethod post(PageUrl("logout.php").c_str());
  post.SetTimeLimit(kSmallRequestSeconds, TransferDeadline::Growth::kNone);
  AddUserFields(post, user);
  post.Execute();
}

namespace {

// The reply of a track request; null when nothing was sent or the transfer failed.
std::unique_ptr<CJsonValue> TrackListReply() {
  UserInfoRecord user;
  if (!StoredUser(user)) return nullptr;
  CPostMethod post(PageUrl("TrackList.php").c_str());
  post.SetTimeLimit(kSmallRequestSeconds, TransferDeadline::Growth::kNone);
  AddUserFields(post, user);
  post.AddField(u"Filter", u"All");
  return Perform(post);
}

}  // namespace

int32_t ApiGetTrackCount() {
  const std::unique_ptr<CJsonValue> reply = TrackListReply();
  const CJsonValue* data = ObjectMember(reply.get(), u"data");
  return data ? ClampToInt32(static_cast<int64_t>(data->GetObject()->size())) : 0;
}

int32_t ApiGetTrackList(TrackListItem* items, int32_t count) {
  if (!items || count < 1) return 0;
  const std::unique_ptr<CJsonValue> reply = TrackListReply();
  const CJsonValue* data = ObjectMember(reply.get(), u"data");
  if (!data) return 0;
  const int64_t members = static_cast<int64_t>(data->GetObject()->size());
  int32_t filled = 0;
  for (int64_t i = 1; i <= members && filled < count; ++i) {
    const CJsonValue* m = ObjectMember(data, Decimal(i).c_str());
    TrackListItem item;
    item.mapId = IntMember(m, u"id");
    item.uDate = IntMember(m, u"uDate");
    if (item.mapId <= 0 || !TextMember(m, u"Label", item.Label) || item.Label.IsEmpty() ||
        !TextMember(m, u"type", item.type) || !TextMember(m, u"BCNXFile", item.BCNXFile))
      continue;
    items[filled++] = std::move(item);
  }
  return filled;
}

int32_t ApiUploadSession(const SessionSummary& session, int32_t& code, int32_t* sentAs) {
  ApiHost* host = g_host.load();
  const std::u16string workspace = host != nullptr ? host->Workspace() : std::u16string();
  const std::u16string folder = WorkspaceTransferFolder(workspace);
  UserInfoRecord user;
  if (workspace.empty() || !FileName_C(folder.c_str()).IsFolder() || !StoredUser(user)) return 0;
  const std::u16string sess = SessionFilePath(workspace, SessionFile::kSess, session.id);
  const std::u16string sana = SessionFilePath(workspace, SessionFile::kSana, session.id);

  CPostMethod post(PageUrl("UploadSession.php").c_str());
  AddUserFields(post, user);
  post.AddField(u"Vals", SummaryJson(session).c_str());
  post.AddFile(u"qSess", sess.c_str(), kFileType);
  post.AddFile(u"qSana", sana.c_str(), kFileType);
  if (const long fixed = g_uploadTimeLimit.load()) post.SetTimeLimit(fixed, TransferDeadline::Growth::kNone);

  code = kRespFailed;
  if (sentAs != nullptr) *sentAs = user.uid;
  if (post.Execute() != 0) return 0;
  const CString body = post.GetResponse();
  if (body.IsEmpty() || body.Find(u"<html>") >= 0) return 0;
  const std::unique_ptr<CJsonValue> reply = ReadReply(body);
  int32_t replyCode = 0;
  if (!ReplyCode(reply.get(), replyCode)) return 0;
  code = replyCode;
  if (code == kRespUploaded) return IntMember(ObjectMember(reply.get(), u"data"), u"id");
  if (code == kRespDuplicate) return IntMember(reply.get(), u"id");
  return 0;
}
