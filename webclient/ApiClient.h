// The client of the racing web service: one function per call of its API.
// Each call is one multipart POST to <service>/API/<page> (the service's
// base address is a deployment value, webclient/deploy.h) whose reply is a
// JSON object with a numeric "code". A reply that the JSON reader cannot
// read whole (cut short, or with any error in it) counts as no reply at all:
// nothing of it is taken. Failures are results (false, 0, code 301); nothing
// is reported further.
//
// Every call but the login sends the stored user's id and access token and
// sends nothing while no token is stored. The login, the account
// information, the logout and the track calls give up after 30 s in all,
// whatever they send or their reply announces, so that a server that
// trickles its reply cannot hold up the user; an upload may take a second
// longer for every KiB it sends, and its service may take 60 s to answer
// once the files are sent (webclient/HttpClient.h).
//
// The calls may run on several threads; they share the registered store
// (which serialises its own operations) and the login state.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/classlib/CString.h"
#include "webclient/ApiUserStore.h"
#include "webclient/TrackListItem.h"

struct SessionSummary;

// What the client needs from the program, registered at start-up. Without
// a host (or a host without a store) every call fails as if no token were
// stored.
void SetApiHost(ApiHost* host);
// The registered host's user store; null before a host is registered.
ApiUserStore* GetApiUserStore();

// Login states: 0 not logged in; 1 logged in, the service reported a
// verified account ("VerifyAcc"); 2 logged in, no such report. Only 1 counts
// as logged in for the user interface.
enum : int32_t { kLoginNone = 0, kLoginVerified = 1, kLoginUnverified = 2 };
// The process-wide login state; kLoginNone at start.
std::atomic<int32_t>& GetLoginState();

// Logs in with the typed e-mail and password, both sent enciphered
// (webclient/LoginCipher.h) under a fresh random State text. Accepted only
// on a reply object with a numeric "code" of 0 or 216 (already logged in),
// a non-empty "access_token" text and a "user_id" above 0: the user is then
// stored with that id and token, and `loginState` becomes kLoginVerified or
// kLoginUnverified. When another account than the stored one logs in, the
// stored profile is not carried over: the new user starts with the typed
// e-mail and no name, country, language or gender. Otherwise false, and
// `loginState` is kLoginNone.
bool ApiLogin(std::atomic<int32_t>& loginState, const CString& email, const CString& password);

// Reads the account's profile ("data"."1": "gender", "Account", "Name",
// "locate", "language") into the stored user. False when the request could
// not be made or the reply has no such object; the stored user then stays
// as it was. The reply's "code" is not examined.
bool ApiGetInfo();

// Ends the session on the service. The stored token is kept.
void ApiLogout();

// The number of the user's track maps (the members of "data"); 0 on any
// failure.
int32_t ApiGetTrackCount();

// Fills `items` from the members "1", "2", ... of the reply's "data", at
// most `count` of them, in that order. A member that is not an object with
// an "id" above 0 and a "Label" fills nothing. Returns how many items were
// filled: items[0] to items[result - 1]; the others stay as they were.
int32_t ApiGetTrackList(TrackListItem* items, int32_t count);

// Posts one session: the text fields, "Vals" (the summary as JSON), then the
// files <workspace>/TransferDb/sess_<id>.db and sana_<id>.db as "qSess" and
// "qSana", where <workspace> is the host's, the one the program runs on and
// the files were written under (a workspace stored for the next start may
// hold files of another session with the same id). Returns the service's id
// of the session, or 0.
//  - No workspace TransferDb folder or no stored token: 0, `code` untouched.
//  - A failed transfer, an empty reply, an HTML page, a reply that is not
//    read whole, is not an object or whose "code" is missing or not a
//    number: 0 with code 301.
//  - Otherwise `code` is the reply's code: 0 gives "data"."id" (0 when
//    absent), 304 (already uploaded) the top-level "id", any other 0.
// `sentAs`, when given, receives the id of the stored user the session was
// posted as (the stored user is read once per call, so a login during a
// series of uploads changes it between two calls); untouched when nothing
// was posted.
int32_t ApiUploadSession(const SessionSummary& session, int32_t& code, int32_t* sentAs = nullptr);
// The longest an upload may take in all, in seconds, in place of the limit
// that grows with its size (the request layer's 60 s and a second for every
// KiB sent), which 0, the default, restores.
void SetApiUploadTimeLimit(long seconds);
