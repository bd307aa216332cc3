// A stand-in of the racing web service for tests and the demo. It speaks the
// service's API on 127.0.0.1 over HTTP, or HTTPS when given a certificate:
// multipart POSTs to "/API/login.php", "/API/Info.php", "/API/logout.php",
// "/API/TrackList.php" and "/API/UploadSession.php", answered with JSON that
// carries "code" and "data". Accounts, access tokens, track maps and uploaded
// sessions live in a small SQLite store in the data folder; everything below
// <data folder>/www (beacon files, update files) is served as static files.
// It checks what the real service would: the parts of each request in their
// order (text fields, then the upload's files, each named by its part name
// and sent as application/octet-stream), the login fields deciphered, and
// every member of an upload's "Vals" by name and JSON kind.
// Faults can be switched on so that a client's every branch can be driven.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/sqlitestatement.h"

namespace httplib {
class ContentReader;
class Server;
struct Request;
struct Response;
}  // namespace httplib

struct StandinOptions {
  std::string dataDir;   // required: the store "standin.db" and the static folder "www"
  std::string certFile;  // PEM certificate and key: both set = HTTPS
  std::string keyFile;
  int port = 0;  // 0 = any free port
  // Deployment values shared with the client; empty/0 = the values the build was made with.
  int32_t appNumber = 0;
  std::string cipherKey;
  std::string stateText;
};

struct StandinAccount {
  std::string email;
  std::string password;
  std::string name;
  int gender = 0;
  std::string country;
  std::string language;
  bool verified = true;  // verified accounts get "VerifyAcc" in the login reply
};

struct StandinTrackMap {
  int32_t mapId = 0;
  std::string type;
  std::string label;
  int32_t uDate = 0;
};

// One line of a beacon file.
struct StandinBeacon {
  int32_t type = 0;  // 0 start/finish, 1 start, 2 finish, 3 split
  std::string name;  // at most 31 bytes are stored
  double latitude = 0.0;
  double longitude = 0.0;
  float heading = 0.0f;
  int32_t width = 0;
  int32_t colour = 0;
};

enum class StandinFault {
  Code,       // the reply is {"code": code, "data": {}}
  Html,       // an HTML error page with HTTP status `status`
  EmptyBody,  // status 200, no body
  CutShort,  // announces a body (the reply, or the static file asked for) and closes the connection half-way through it
  Delay,     // waits delayMs, then answers as usual
  Raw,       // replies `body` as it is, with HTTP status `status`
  Reset,     // reads a request up to its first file part, then drops the connection: a reset, nothing stored
  Trickle,   // announces the body (the reply, or `body` when set, or the static file asked for) and sends
             // trickleBytes of it every delayMs
  Hold,      // waits until ReleaseHeld (at most delayMs when that is set), then answers as usual
};

struct StandinFaultSpec {
  std::string path;  // e.g. "/API/login.php"; empty = every request
  StandinFault kind = StandinFault::Code;
  int code = 500;
  int status = 500;
  int delayMs = 0;
  int trickleBytes = 1;
  std::string body;
  int times = -1;  // number of requests it applies to; -1 = until cleared
};

struct StandinPart {
  std::string name;
  std::string filename;  // empty for a text field
  std::string contentType;
  std::string content;
};

struct StandinRequest {
  std::string method;
  std::string path;    // without the query
  std::string target;  // path and query as sent
  std::multimap<std::string, std::string> headers;
  std::vector<StandinPart> parts;  // in body order
  bool multipart = false;
};

struct StandinUpload {
  int64_t id = 0;
  int64_t uid = 0;
  int64_t trackId = 0;
  int64_t start = 0;
  std::string vals;  // the "Vals" text as received
  std::string qSess;
  std::string qSana;
};

// The bytes of a beacon file holding `beacons`.
std::string MakeBeaconFile(const std::vector<StandinBeacon>& beacons);

class StandinService {
 public:
  explicit StandinService(StandinOptions options);
  ~StandinService();
  StandinService(const StandinService&) = delete;
  StandinService& operator=(const StandinService&) = delete;

  // Opens the store and starts listening on 127.0.0.1. False on failure.
  bool Start();
  // Stops listening; connections are refused from then on. Start may follow.
  void Stop();
  bool IsRunning() const { return m_running.load(); }
  int Port() const { return m_port.load(); }
  // "http://127.0.0.1:<port>" or "https://127.0.0.1:<port>".
  std::string BaseUrl() const;

  // The user id of the new account, 0 on failure (e.g. the e-mail is taken).
  int64_t AddAccount(const StandinAccount& account);
  // Stores the track map and its beacon file (served as /bcnx/<mapId>.bcnx);
  // an existing map of that id is replaced.
  bool AddTrackMap(const StandinTrackMap& map, const std::string& beaconFile);
  // Places a file under the static folder, e.g. "bcnx/7.bcnx".
  bool PutStaticFile(const std::string& relativePath, const std::string& bytes);
  // The update store: the static folder "public/PelmoraUploader", which
  // serves "auto_update.txt" and the installer (a query is ignored).
  std::string UpdateStoreUrl() const;
  // Publishes the description file and the installer; an empty installer
  // text takes the installer off the store, so that it answers 404.
  bool PublishUpdate(const std::string& description, const std::string& installer);

  void AddFault(const StandinFaultSpec& fault);
  void ClearFaults();
  // Lets every request that a Hold fault holds go on, and every later one
  // pass at once; so does Stop.
  void ReleaseHeld();

  std::vector<StandinRequest> Requests() const;
  void ClearRequests();
  std::vector<StandinUpload> Uploads() const;
  // The live access token of a user, empty when logged out.
  std::string TokenOf(int64_t uid) const;

 private:
  struct Fields;
  void SetupRoutes();
  // A request for a static file: recorded, and answered here when a fault
  // applies (true); otherwise it goes on to the file.
  bool ServeStaticFault(const httplib::Request& req, httplib::Response& res);
  // The bytes of a static file; empty when it is missing or the path leaves the folder.
  std::string StaticFile(const std::string& path) const;
  void ServeApi(const std::string& path, const httplib::Request& req, httplib::Response& res,
                const httplib::ContentReader& reader);
  // Applies a fault of the API path, if any: true when the reply is made.
  bool ServeApiFault(const StandinFaultSpec& fault, const std::string& path, const std::vector<StandinPart>& parts,
                     httplib::Response& res);
  bool TakeFault(const std::string& path, StandinFaultSpec& out);
  // Waits until ReleaseHeld, or `bound` when it is above 0.
  void Hold(std::chrono::milliseconds bound);
  void Record(StandinRequest request);
  std::string Dispatch(const std::string& path, const std::vector<StandinPart>& parts);
  std::string Login(const Fields& f);
  std::string Info(const Fields& f);
  std::string Logout(const Fields& f);
  std::string TrackList(const Fields& f);
  std::string Upload(const Fields& f);
  int64_t Authorise(const Fields& f);  // the user id, or 0
  bool OpenStore();

  StandinOptions m_options;
  std::unique_ptr<httplib::Server> m_server;
  std::thread m_thread;
  std::atomic<bool> m_running{false};
  std::atomic<int> m_port{0};

  mutable std::mutex m_storeMutex;  // the store
  SqliteHandle m_db;

  mutable std::mutex m_stateMutex;  // faults, the request log and the hold
  std::vector<StandinFaultSpec> m_faults;
  std::vector<StandinRequest> m_requests;
  bool m_released = false;
  std::condition_variable m_releasedChanged;
};
