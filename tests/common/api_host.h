// The web-service client's host for a test: a user store and a workspace,
// registered with the client while it lives.
#pragma once

#include <string>
#include <utility>

#include "webclient/ApiClient.h"
#include "webclient/ApiUserStore.h"

class TestApiHost : public ApiHost {
 public:
  explicit TestApiHost(ApiUserStore* store, std::u16string workspace = {})
      : m_store(store), m_workspace(std::move(workspace)) {
    SetApiHost(this);
  }
  ~TestApiHost() override { SetApiHost(nullptr); }
  TestApiHost(const TestApiHost&) = delete;
  TestApiHost& operator=(const TestApiHost&) = delete;

  ApiUserStore* UserStore() override { return m_store; }
  std::u16string Workspace() override { return m_workspace; }
  // Set before the client runs on another thread, never while it does.
  void SetWorkspace(std::u16string workspace) { m_workspace = std::move(workspace); }

 private:
  ApiUserStore* m_store;
  std::u16string m_workspace;
};
