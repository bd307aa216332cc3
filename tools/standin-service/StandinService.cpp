#include "tools/standin-service/StandinService.h"

#include <cryptopp/aes.h>
#include <cryptopp/base64.h>
#include <cryptopp/filters.h>
#include <cryptopp/modes.h>
#include <httplib.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <random>

#include "webclient/deploy.h"

using nlohmann::json;

namespace {

const char* const kApiPaths[] = {"/API/login.php", "/API/Info.php", "/API/logout.php", "/API/TrackList.php",
                                 "/API/UploadSession.php"};

constexpr const char* kUpdateFolder = "public/PelmoraUploader";
constexpr const char* kInstallerName = "Pelmora_Uploader_installer.exe";

// Reply codes of the stand-in besides 0 (done), 216 (already logged in) and
// 304 (session already uploaded).
constexpr int kBadClient = 201;
constexpr int kBadClientToken = 202;
constexpr int kBadUser = 203;
constexpr int kNotAuthorised = 210;
constexpr int kBadField = 211;
constexpr int kMissingFile = 212;
constexpr int kBadParts = 213;
constexpr int kStoreFailure = 500;

std::string Dump(const json& j) { return j.dump(-1, ' ', false, json::error_handler_t::replace); }

std::string Reply(int code, json data = json::object()) {
  json r;
  r["code"] = code;
  r["data"] = std::move(data);
  return Dump(r);
}

// Deciphers a login field: Base64 (line feeds ignored), AES-256-CBC, PKCS#7.
bool Decipher(const std::string& base64, const std::string& key, const std::string& iv, std::string& plain) {
  if (key.size() != 32 || iv.size() != 16) return false;
  try {
    std::string cipher;
    CryptoPP::StringSource(base64, true, new CryptoPP::Base64Decoder(new CryptoPP::StringSink(cipher)));
    CryptoPP::CBC_Mode<CryptoPP::AES>::Decryption dec(reinterpret_cast<const CryptoPP::byte*>(key.data()), key.size(),
                                                      reinterpret_cast<const CryptoPP::byte*>(iv.data()));
    plain.clear();
    CryptoPP::StringSource(cipher, true,
                           new CryptoPP::StreamTransformationFilter(dec, new CryptoPP::StringSink(plain)));
    return true;
  } catch (const CryptoPP::Exception&) {
    return false;
  }
}

std::string NewToken() {
  static const char* digits = "0123456789abcdef";
  std::random_device rd;
  std::string t;
  for (int i = 0; i < 32; ++i) t.push_back(digits[rd() & 15]);
  return t;
}

bool ParseInt(const std::string& s, int64_t& out) {
  if (s.empty() || s.size() > 18) return false;
  size_t i = s[0] == '-' ? 1 : 0;
  if (i == s.size()) return false;
  for (size_t k = i; k < s.size(); ++k)
    if (s[k] < '0' || s[k] > '9') return false;
  out = std::stoll(s);
  return true;
}

// The parts of each request, in the order the service takes them: the text
// fields, then (upload only) the two files, each named by its part name and
// sent as application/octet-stream.
struct PartRule {
  const char* name;
  bool file;
};
constexpr const char* kFilePartType = "application/octet-stream";

std::vector<PartRule> PartRules(const std::string& path) {
  if (path == "/API/login.php")
    return {{"Client_id", false}, {"Client_token", false}, {"State", false}, {"User", false}};
  std::vector<PartRule> rules = {{"Client_id", false}, {"Access_Token", false}, {"State", false}, {"UserID", false}};
  if (path == "/API/TrackList.php") rules.push_back({"Filter", false});
  if (path == "/API/UploadSession.php") rules.insert(rules.end(), {{"Vals", false}, {"qSess", true}, {"qSana", true}});
  return rules;
}

// 0 when the parts are the ones of the path in their order; kMissingFile
// when only file parts are missing at the end; kBadParts otherwise.
int CheckParts(const std::string& path, const std::vector<StandinPart>& parts) {
  const std::vector<PartRule> rules = PartRules(path);
  if (parts.size() > rules.size()) return kBadParts;
  for (size_t i = 0; i < rules.size(); ++i) {
    const PartRule& rule = rules[i];
    if (i >= parts.size()) return rule.file ? kMissingFile : kBadParts;
    const StandinPart& part = parts[i];
    if (part.name != rule.name) return kBadParts;
    if (rule.file ? part.filename != rule.name || part.contentType != kFilePartType : !part.filename.empty())
      return kBadParts;
  }
  return 0;
}

// The session summary of an upload: every member by name and JSON kind,
// nothing else.
enum class ValsKind { Integer, Double, Text };
struct ValsMember {
  const char* name;
  ValsKind kind;
};
const ValsMember kValsMembers[] = {
    {"AvgAlti", ValsKind::Double},  {"AvgG", ValsKind::Double},        {"AvgSpd", ValsKind::Double},
    {"BestLap", ValsKind::Integer}, {"BestLapTime", ValsKind::Double}, {"Laps", ValsKind::Integer},
    {"MaxAlti", ValsKind::Double},  {"MaxG", ValsKind::Double},        {"MaxSpd", ValsKind::Double},
    {"MinAlti", ValsKind::Double},  {"MinG", ValsKind::Double},        {"MinSpd", ValsKind::Double},
    {"Note", ValsKind::Text},       {"distance", ValsKind::Double},    {"duration", ValsKind::Double},
    {"start", ValsKind::Integer},   {"timezone", ValsKind::Integer},   {"track_id", ValsKind::Integer},
    {"track_name", ValsKind::Text}, {"type", ValsKind::Text},          {"unit", ValsKind::Integer},
};

bool IsSessionSummary(const json& v) {
  if (!v.is_object() || v.size() != std::size(kValsMembers)) return false;
  for (const ValsMember& m : kValsMembers) {
    auto it = v.find(m.name);
    if (it == v.end()) return false;
    const bool ok = m.kind == ValsKind::Integer  ? it->is_number_integer()
                    : m.kind == ValsKind::Double ? it->is_number_float()
                                                 : it->is_string();
    if (!ok) return false;
  }
  return true;
}

void PutLE32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void PutLE64(std::string& out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

std::string MakeBeaconFile(const std::vector<StandinBeacon>& beacons) {
  std::string out;
  PutLE32(out, 1);  // format version
  PutLE32(out, 0);
  out.append(32, '\0');
  out.append(128, '\0');
  PutLE32(out, 0);
  PutLE32(out, 0);
  PutLE32(out, static_cast<uint32_t>(beacons.size()));
  for (const StandinBeacon& b : beacons) {
    PutLE32(out, static_cast<uint32_t>(b.type));
    std::string name = b.name.substr(0, 31);
    name.resize(32, '\0');
    out += name;
    uint64_t bits;
    std::memcpy(&bits, &b.latitude, 8);
    PutLE64(out, bits);
    std::memcpy(&bits, &b.longitude, 8);
    PutLE64(out, bits);
    uint32_t fbits;
    std::memcpy(&fbits, &b.heading, 4);
    PutLE32(out, fbits);
    PutLE32(out, static_cast<uint32_t>(b.width));
    PutLE32(out, static_cast<uint32_t>(b.colour));
  }
  return out;
}

// The text fields of one request by name (the first of each name).
struct StandinService::Fields {
  std::map<std::string, std::string> text;
  std::map<std::string, const StandinPart*> files;
  explicit Fields(const std::vector<StandinPart>& parts) {
    for (const StandinPart& p : parts) {
      if (p.filename.empty())
        text.emplace(p.name, p.content);
      else
        files.emplace(p.name, &p);
    }
  }
  std::string Get(const std::string& name) const {
    auto it = text.find(name);
    return it == text.end() ? std::string() : it->second;
  }
};

StandinService::StandinService(StandinOptions options) : m_options(std::move(options)) {
  DeployValues built = BuiltInDeployValues();
  if (m_options.appNumber == 0) m_options.appNumber = built.appNumber;
  if (m_options.cipherKey.empty()) m_options.cipherKey = built.cipherKey;
  if (m_options.stateText.empty()) m_options.stateText = built.stateText;
}

StandinService::~StandinService() {
  Stop();
  std::lock_guard<std::mutex> lock(m_storeMutex);
  m_db.reset();
}

bool StandinService::OpenStore() {
  std::lock_guard<std::mutex> lock(m_storeMutex);
  if (m_db) return true;
  std::error_code ec;
  std::filesystem::create_directories(m_options.dataDir + "/www/bcnx", ec);
  std::filesystem::create_directories(m_options.dataDir + "/www/" + kUpdateFolder, ec);
  sqlite3* db = nullptr;
  const int rc = sqlite3_open((m_options.dataDir + "/standin.db").c_str(), &db);
  m_db.reset(db);  // a failed open still gives a handle to close
  if (rc != SQLITE_OK) {
    m_db.reset();
    return false;
  }
  const char* schema =
      "CREATE TABLE IF NOT EXISTS Account(uid INTEGER PRIMARY KEY AUTOINCREMENT, email TEXT UNIQUE, "
      "password TEXT, name TEXT, gender INTEGER, country TEXT, language TEXT, verified INTEGER);"
      "CREATE TABLE IF NOT EXISTS Token(token TEXT PRIMARY KEY, uid INTEGER UNIQUE);"
      "CREATE TABLE IF NOT EXISTS TrackMap(mapId INTEGER PRIMARY KEY, type TEXT, label TEXT, uDate INTEGER);"
      "CREATE TABLE IF NOT EXISTS Upload(id INTEGER PRIMARY KEY AUTOINCREMENT, uid INTEGER, trackId INTEGER, "
      "start INTEGER, vals TEXT, qSess BLOB, qSana BLOB);";
  return sqlite3_exec(m_db.get(), schema, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool StandinService::Start() {
  if (m_running.load()) return true;
  if (m_options.dataDir.empty() || !OpenStore()) return false;
  const bool tls = !m_options.certFile.empty() && !m_options.keyFile.empty();
  if (tls)
    m_server = std::make_unique<httplib::SSLServer>(m_options.certFile.c_str(), m_options.keyFile.c_str());
  else
    m_server = std::make_unique<httplib::Server>();
  if (!m_server->is_valid()) {
    m_server.reset();
    return false;
  }
  SetupRoutes();
  int port = -1;
  if (m_options.port > 0)
    port = m_server->bind_to_port("127.0.0.1", m_options.port) ? m_options.port : -1;
  else
    port = m_server->bind_to_any_port("127.0.0.1");
  if (port <= 0) {
    m_server.reset();
    return false;
  }
  m_port = port;
  httplib::Server* server = m_server.get();
  auto ended = std::make_shared<std::atomic<bool>>(false);
  m_thread = std::thread([server, ended] {
    server->listen_after_bind();
    *ended = true;
  });
  // Until the loop runs, a stop request would be lost: wait for it, however
  // long a busy machine takes to start the thread; a loop that ended at once
  // is a service that did not start.
  while (!server->is_running() && !ended->load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (!server->is_running()) {
    m_thread.join();
    m_server.reset();
    return false;
  }
  m_running = true;
  return true;
}

void StandinService::Stop() {
  if (!m_server) return;
  // A held request would keep its handler, and so the stop, waiting.
  ReleaseHeld();
  m_server->stop();
  if (m_thread.joinable()) m_thread.join();
  m_server.reset();
  m_running = false;
}

std::string StandinService::BaseUrl() const {
  const bool tls = !m_options.certFile.empty() && !m_options.keyFile.empty();
  return std::string(tls ? "https" : "http") + "://127.0.0.1:" + std::to_string(m_port.load());
}

namespace {

// What every request log entry holds; the body is read by the API route.
StandinRequest RequestRecord(const httplib::Request& req) {
  StandinRequest r;
  r.method = req.method;
  r.path = req.path;
  r.target = req.target;
  for (const auto& h : req.headers) r.headers.emplace(h.first, h.second);
  return r;
}

// The parts of a multipart body, in body order; any other body is read and
// dropped. With `toFirstFile` the reading stops where the first file part
// begins (nothing of any other body is read).
void ReadBody(const httplib::Request& req, const httplib::ContentReader& reader, StandinRequest& r,
              bool toFirstFile = false) {
  r.multipart = req.is_multipart_form_data();
  if (!r.multipart) {
    if (!toFirstFile) reader([](const char*, size_t) { return true; });
    return;
  }
  reader(
      [&r, toFirstFile](const httplib::MultipartFormData& part) {
        if (toFirstFile && !part.filename.empty()) return false;
        r.parts.push_back({part.name, part.filename, part.content_type, std::string()});
        return true;
      },
      [&r](const char* data, size_t n) {
        if (!r.parts.empty()) r.parts.back().content.append(data, n);
        return true;
      });
}

// Announces the whole body, sends half of it and closes the connection.
void ReplyCutShort(httplib::Response& res, std::string bytes, const char* contentType) {
  if (bytes.size() < 2) bytes.append(std::string(16, ' '));
  auto body = std::make_shared<std::string>(std::move(bytes));
  res.set_content_provider(body->size(), contentType, [body](size_t offset, size_t, httplib::DataSink& sink) {
    if (offset == 0) sink.write(body->data(), body->size() / 2);
    return false;  // close the connection half-way
  });
}

// Announces the whole body and sends it `fault.trickleBytes` bytes every
// `fault.delayMs`, for as long as the client reads.
void ReplyTrickled(httplib::Response& res, std::string bytes, const char* contentType, const StandinFaultSpec& fault) {
  auto body = std::make_shared<std::string>(std::move(bytes));
  const int intervalMs = fault.delayMs;
  const size_t step = fault.trickleBytes > 1 ? static_cast<size_t>(fault.trickleBytes) : 1;
  res.set_content_provider(body->size(), contentType,
                           [body, intervalMs, step](size_t offset, size_t length, httplib::DataSink& sink) {
                             std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
                             return sink.write(body->data() + offset, std::min(step, length));
                           });
}

// Closes the connection without a reply body; request bytes still unread
// make the close a reset.
void DropConnection(httplib::Response& res) {
  res.set_content_provider(1, "application/octet-stream", [](size_t, size_t, httplib::DataSink&) { return false; });
}

bool IsApiPath(const std::string& path) {
  for (const char* api : kApiPaths)
    if (path == api) return true;
  return false;
}

}  // namespace

void StandinService::SetupRoutes() {
  m_server->set_mount_point("/", m_options.dataDir + "/www");
  m_server->set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    if (IsApiPath(req.path) || !ServeStaticFault(req, res)) return httplib::Server::HandlerResponse::Unhandled;
    return httplib::Server::HandlerResponse::Handled;
  });
  for (const char* api : kApiPaths) {
    const std::string path = api;
    m_server->Post(path, [this, path](const httplib::Request& req, httplib::Response& res,
                                      const httplib::ContentReader& reader) { ServeApi(path, req, res, reader); });
  }
}

std::string StandinService::StaticFile(const std::string& path) const {
  std::string bytes;
  if (path.find("..") == std::string::npos) {
    std::ifstream in(m_options.dataDir + "/www" + path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return bytes;
}

bool StandinService::ServeStaticFault(const httplib::Request& req, httplib::Response& res) {
  Record(RequestRecord(req));
  StandinFaultSpec fault;
  if (!TakeFault(req.path, fault)) return false;
  switch (fault.kind) {
    case StandinFault::Delay:
      std::this_thread::sleep_for(std::chrono::milliseconds(fault.delayMs));
      return false;
    case StandinFault::Hold:
      Hold(std::chrono::milliseconds(fault.delayMs));
      return false;
    case StandinFault::EmptyBody:
      res.status = 200;
      return true;
    case StandinFault::Html:
      res.status = fault.status;
      res.set_content("<html><body><h1>Service unavailable</h1></body></html>", "text/html");
      return true;
    case StandinFault::CutShort:
      // The static file's length is announced, half of it sent, and the connection closed.
      res.status = 200;
      ReplyCutShort(res, StaticFile(req.path), "application/octet-stream");
      return true;
    case StandinFault::Trickle:
      res.status = 200;
      ReplyTrickled(res, StaticFile(req.path), "application/octet-stream", fault);
      return true;
    case StandinFault::Reset:
      DropConnection(res);
      return true;
    default:
      res.status = fault.status;
      res.set_content(fault.body, "application/octet-stream");
      return true;
  }
}

void StandinService::ServeApi(const std::string& path, const httplib::Request& req, httplib::Response& res,
                              const httplib::ContentReader& reader) {
  StandinFaultSpec fault;
  const bool faulty = TakeFault(path, fault);
  StandinRequest r = RequestRecord(req);
  ReadBody(req, reader, r, faulty && fault.kind == StandinFault::Reset);
  const std::vector<StandinPart> parts = r.parts;
  Record(std::move(r));
  if (faulty && ServeApiFault(fault, path, parts, res)) return;
  res.set_content(Dispatch(path, parts), "application/json");
}

bool StandinService::ServeApiFault(const StandinFaultSpec& fault, const std::string& path,
                                   const std::vector<StandinPart>& parts, httplib::Response& res) {
  switch (fault.kind) {
    case StandinFault::Code:
      res.set_content(Reply(fault.code), "application/json");
      return true;
    case StandinFault::Html:
      res.status = fault.status;
      res.set_content("<html><body><h1>Internal Server Error</h1></body></html>", "text/html");
      return true;
    case StandinFault::EmptyBody:
      res.status = 200;
      return true;
    case StandinFault::Raw:
      res.status = fault.status;
      res.set_content(fault.body, "application/json");
      return true;
    case StandinFault::CutShort:
      ReplyCutShort(res, Dispatch(path, parts), "application/json");
      return true;
    case StandinFault::Trickle:
      ReplyTrickled(res, fault.body.empty() ? Dispatch(path, parts) : fault.body, "application/json", fault);
      return true;
    case StandinFault::Delay:
      std::this_thread::sleep_for(std::chrono::milliseconds(fault.delayMs));
      return false;
    case StandinFault::Hold:
      Hold(std::chrono::milliseconds(fault.delayMs));
      return false;
    case StandinFault::Reset:
      DropConnection(res);
      return true;
  }
  return false;
}

void StandinService::Hold(std::chrono::milliseconds bound) {
  std::unique_lock<std::mutex> lock(m_stateMutex);
  if (bound.count() > 0)
    m_releasedChanged.wait_for(lock, bound, [this] { return m_released; });
  else
    m_releasedChanged.wait(lock, [this] { return m_released; });
}

void StandinService::ReleaseHeld() {
  {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    m_released = true;
  }
  m_releasedChanged.notify_all();
}

bool StandinService::TakeFault(const std::string& path, StandinFaultSpec& out) {
  std::lock_guard<std::mutex> lock(m_stateMutex);
  for (auto it = m_faults.begin(); it != m_faults.end(); ++it) {
    if (!it->path.empty() && it->path != path) continue;
    out = *it;
    if (it->times > 0 && --it->times == 0) m_faults.erase(it);
    return true;
  }
  return false;
}

void StandinService::Record(StandinRequest request) {
  std::lock_guard<std::mutex> lock(m_stateMutex);
  m_requests.push_back(std::move(request));
}

void StandinService::AddFault(const StandinFaultSpec& fault) {
  if (fault.times == 0) return;
  std::lock_guard<std::mutex> lock(m_stateMutex);
  m_faults.push_back(fault);
}

void StandinService::ClearFaults() {
  std::lock_guard<std::mutex> lock(m_stateMutex);
  m_faults.clear();
}

std::vector<StandinRequest> StandinService::Requests() const {
  std::lock_guard<std::mutex> lock(m_stateMutex);
  return m_requests;
}

void StandinService::ClearRequests() {
  std::lock_guard<std::mutex> lock(m_stateMutex);
  m_requests.clear();
}

// ---------------------------------------------------------------------------
// Store

int64_t StandinService::AddAccount(const StandinAccount& a) {
  if (!OpenStore()) return 0;
  std::lock_guard<std::mutex> lock(m_storeMutex);
  SqliteStatement s(m_db.get(),
                    "INSERT INTO Account(email,password,name,gender,country,language,verified) VALUES(?,?,?,?,?,?,?);");
  s.Bind(1, a.email).Bind(2, a.password).Bind(3, a.name).Bind(4, int64_t(a.gender)).Bind(5, a.country);
  s.Bind(6, a.language).Bind(7, int64_t(a.verified ? 1 : 0));
  if (!s.Run()) return 0;
  return sqlite3_last_insert_rowid(m_db.get());
}

bool StandinService::AddTrackMap(const StandinTrackMap& map, const std::string& beaconFile) {
  if (!OpenStore()) return false;
  if (!PutStaticFile("bcnx/" + std::to_string(map.mapId) + ".bcnx", beaconFile)) return false;
  std::lock_guard<std::mutex> lock(m_storeMutex);
  SqliteStatement s(m_db.get(), "INSERT OR REPLACE INTO TrackMap(mapId,type,label,uDate) VALUES(?,?,?,?);");
  s.Bind(1, int64_t(map.mapId)).Bind(2, map.type).Bind(3, map.label).Bind(4, int64_t(map.uDate));
  return s.Run();
}

bool StandinService::PutStaticFile(const std::string& relativePath, const std::string& bytes) {
  std::filesystem::path rel(relativePath);
  if (rel.empty() || rel.is_absolute()) return false;
  for (const auto& piece : rel)
    if (piece == ".." || piece == ".") return false;
  std::filesystem::path full = std::filesystem::path(m_options.dataDir) / "www" / rel;
  std::error_code ec;
  std::filesystem::create_directories(full.parent_path(), ec);
  std::ofstream f(full, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(f);
}

std::string StandinService::UpdateStoreUrl() const { return BaseUrl() + "/" + kUpdateFolder; }

bool StandinService::PublishUpdate(const std::string& description, const std::string& installer) {
  const std::string installerPath = std::string(kUpdateFolder) + "/" + kInstallerName;
  if (installer.empty()) {
    std::error_code ec;
    std::filesystem::remove(std::filesystem::path(m_options.dataDir) / "www" / installerPath, ec);
  } else if (!PutStaticFile(installerPath, installer)) {
    return false;
  }
  return PutStaticFile(std::string(kUpdateFolder) + "/auto_update.txt", description);
}

std::vector<StandinUpload> StandinService::Uploads() const {
  std::vector<StandinUpload> out;
  std::lock_guard<std::mutex> lock(m_storeMutex);
  if (!m_db) return out;
  SqliteStatement s(m_db.get(), "SELECT id,uid,trackId,start,vals,qSess,qSana FROM Upload ORDER BY id;");
  while (s.NextRow())
    out.push_back({s.Int64(0), s.Int64(1), s.Int64(2), s.Int64(3), s.Bytes(4), s.Bytes(5), s.Bytes(6)});
  return out;
}

std::string StandinService::TokenOf(int64_t uid) const {
  std::lock_guard<std::mutex> lock(m_storeMutex);
  if (!m_db) return std::string();
  SqliteStatement s(m_db.get(), "SELECT token FROM Token WHERE uid=?;");
  s.Bind(1, uid);
  return s.NextRow() ? s.Bytes(0) : std::string();
}

// ---------------------------------------------------------------------------
// API

std::string StandinService::Dispatch(const std::string& path, const std::vector<StandinPart>& parts) {
  if (int bad = CheckParts(path, parts)) return Reply(bad);
  Fields f(parts);
  if (f.Get("Client_id") != std::to_string(m_options.appNumber)) return Reply(kBadClient);
  if (path == "/API/login.php") return Login(f);
  if (path == "/API/Info.php") return Info(f);
  if (path == "/API/logout.php") return Logout(f);
  if (path == "/API/TrackList.php") return TrackList(f);
  return Upload(f);
}

std::string StandinService::Login(const Fields& f) {
  const std::string iv = f.Get("State");
  std::string clientToken, user;
  if (!Decipher(f.Get("Client_token"), m_options.cipherKey, iv, clientToken) ||
      clientToken != std::to_string(m_options.appNumber) + ":" + m_options.cipherKey)
    return Reply(kBadClientToken);
  if (!Decipher(f.Get("User"), m_options.cipherKey, iv, user)) return Reply(kBadUser);
  size_t colon = user.find(':');
  if (colon == std::string::npos) return Reply(kBadUser);
  const std::string email = user.substr(0, colon), password = user.substr(colon + 1);

  std::lock_guard<std::mutex> lock(m_storeMutex);
  int64_t uid = 0;
  bool verified = false;
  {
    SqliteStatement s(m_db.get(), "SELECT uid, verified FROM Account WHERE email=? AND password=?;");
    s.Bind(1, email).Bind(2, password);
    if (!s.NextRow()) return Reply(kBadUser);
    uid = s.Int64(0);
    verified = s.Int64(1) != 0;
  }
  int code = 0;
  std::string token;
  {
    SqliteStatement s(m_db.get(), "SELECT token FROM Token WHERE uid=?;");
    s.Bind(1, uid);
    if (s.NextRow()) {
      token = s.Bytes(0);
      code = 216;  // already logged in: the same token again
    }
  }
  if (token.empty()) {
    token = NewToken();
    SqliteStatement s(m_db.get(), "INSERT INTO Token(token,uid) VALUES(?,?);");
    s.Bind(1, token).Bind(2, uid);
    if (!s.Run()) return Reply(kStoreFailure);
  }
  json r;
  r["code"] = code;
  r["data"] = json::object();
  r["access_token"] = token;
  r["user_id"] = std::to_string(uid);
  if (verified) r["VerifyAcc"] = "1";
  return Dump(r);
}

int64_t StandinService::Authorise(const Fields& f) {
  if (f.Get("State") != m_options.stateText) return 0;
  int64_t uid = 0;
  if (!ParseInt(f.Get("UserID"), uid)) return 0;
  SqliteStatement s(m_db.get(), "SELECT uid FROM Token WHERE token=?;");
  s.Bind(1, f.Get("Access_Token"));
  if (!s.NextRow() || s.Int64(0) != uid) return 0;
  return uid;
}

std::string StandinService::Info(const Fields& f) {
  std::lock_guard<std::mutex> lock(m_storeMutex);
  int64_t uid = Authorise(f);
  if (!uid) return Reply(kNotAuthorised);
  SqliteStatement s(m_db.get(), "SELECT email,name,gender,country,language FROM Account WHERE uid=?;");
  s.Bind(1, uid);
  if (!s.NextRow()) return Reply(kNotAuthorised);
  json one;
  one["Account"] = s.Bytes(0);
  one["Name"] = s.Bytes(1);
  one["gender"] = std::to_string(s.Int64(2));
  one["locate"] = s.Bytes(3);
  one["language"] = s.Bytes(4);
  json data;
  data["1"] = one;
  return Reply(0, data);
}

std::string StandinService::Logout(const Fields& f) {
  std::lock_guard<std::mutex> lock(m_storeMutex);
  int64_t uid = Authorise(f);
  if (!uid) return Reply(kNotAuthorised);
  SqliteStatement s(m_db.get(), "DELETE FROM Token WHERE uid=?;");
  s.Bind(1, uid);
  s.Run();
  return Reply(0);
}

std::string StandinService::TrackList(const Fields& f) {
  std::lock_guard<std::mutex> lock(m_storeMutex);
  if (!Authorise(f)) return Reply(kNotAuthorised);
  if (f.Get("Filter") != "All") return Reply(kBadField);
  json data = json::object();
  SqliteStatement s(m_db.get(), "SELECT mapId,type,label,uDate FROM TrackMap ORDER BY mapId;");
  int i = 0;
  while (s.NextRow()) {
    json item;
    item["id"] = std::to_string(s.Int64(0));
    item["type"] = s.Bytes(1);
    item["Label"] = s.Bytes(2);
    item["uDate"] = std::to_string(s.Int64(3));
    item["BCNXFile"] = BaseUrl() + "/bcnx/" + std::to_string(s.Int64(0)) + ".bcnx";
    data[std::to_string(++i)] = item;
  }
  return Reply(0, data);
}

std::string StandinService::Upload(const Fields& f) {
  std::lock_guard<std::mutex> lock(m_storeMutex);
  int64_t uid = Authorise(f);
  if (!uid) return Reply(kNotAuthorised);
  const std::string vals = f.Get("Vals");
  json v = json::parse(vals, nullptr, false);
  if (v.is_discarded() || !IsSessionSummary(v)) return Reply(kBadField);
  auto sess = f.files.find("qSess");
  auto sana = f.files.find("qSana");
  if (sess == f.files.end() || sana == f.files.end()) return Reply(kMissingFile);
  const int64_t trackId = v["track_id"].get<int64_t>(), start = v["start"].get<int64_t>();
  {
    SqliteStatement s(m_db.get(), "SELECT id FROM Upload WHERE uid=? AND trackId=? AND start=?;");
    s.Bind(1, uid).Bind(2, trackId).Bind(3, start);
    if (s.NextRow()) {
      json r;
      r["code"] = 304;
      r["id"] = s.Int64(0);
      r["data"] = json::object();
      return Dump(r);
    }
  }
  SqliteStatement s(m_db.get(), "INSERT INTO Upload(uid,trackId,start,vals,qSess,qSana) VALUES(?,?,?,?,?,?);");
  s.Bind(1, uid).Bind(2, trackId).Bind(3, start).Bind(4, vals);
  s.BindBlob(5, sess->second->content).BindBlob(6, sana->second->content);
  if (!s.Run()) return Reply(kStoreFailure);
  json data;
  data["id"] = sqlite3_last_insert_rowid(m_db.get());
  return Reply(0, data);
}
