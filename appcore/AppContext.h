// What the program keeps for its whole run, with one owner: the settled
// folders (the workspace and the per-user data folder) and the three
// application databases under them (the user table, the track-map table and
// the session list). The program makes one at start-up and hands it to the
// window, its threads and the web-service client.
#pragma once

#include <functional>
#include <string>

#include "appcore/SessionListDb.h"
#include "appcore/TrackMapDb.h"
#include "appcore/UserInfoDb.h"
#include "platform/classlib/CString.h"
#include "webclient/ApiUserStore.h"

// It is also the web-service client's host (SetApiHost): the client's user
// store and workspace are the window's.
class AppContext : public ApiHost {
 public:
  AppContext() = default;
  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  // Called with the file of each database that could not be made.
  using CreateFailure = std::function<void(const std::u16string& path)>;

  // Settles the workspace (LocateWorkspace: the stored one, or the default
  // written back) and the per-user data folder, then makes the three
  // databases; the session list's file lies under the settled workspace.
  // Every failed Create is told to `failure` and the others are still made.
  // True when all three were made. Call once, before anything uses them.
  bool Create(const CreateFailure& failure);

  const std::u16string& UserData() const { return m_userData; }
  UserInfoDb& Users() { return m_users; }
  TrackMapDb& TrackMaps() { return m_trackMaps; }
  SessionListDb& SessionList() { return m_sessionList; }

  ApiUserStore* UserStore() override { return &m_users; }
  // The settled workspace.
  std::u16string Workspace() override { return m_workspace.Str(); }

 private:
  CString m_workspace;
  std::u16string m_userData;
  UserInfoDb m_users;
  TrackMapDb m_trackMaps;
  SessionListDb m_sessionList;
};

// The program's report of a database that could not be made: a line on the
// standard error output naming its file.
void LogCreateFailure(const std::u16string& path);
