#include "webclient/deploy.h"

#include <mutex>
#include <optional>

#include "deploy_config.h"
#include "platform/win32/transferrules.h"

namespace {

std::mutex g_mutex;
std::optional<DeployValues> g_override;  // guarded by g_mutex

bool IsHttpAddress(const std::string& s) { return s.rfind("http://", 0) == 0 || s.rfind("https://", 0) == 0; }

}  // namespace

DeployValues BuiltInDeployValues() {
  DeployValues v;
  v.serviceBase = PM_DEPLOY_SERVICE_BASE;
  v.updateBase = PM_DEPLOY_UPDATE_BASE;
  v.appNumber = PM_DEPLOY_APP_NUMBER;
  v.stateText = PM_DEPLOY_STATE_TEXT;
  v.cipherKey = PM_DEPLOY_CIPHER_KEY;
  return v;
}

DeployValues GetDeployValues() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_override) return *g_override;
  return BuiltInDeployValues();
}

std::string DeployServiceBase() { return GetDeployValues().serviceBase; }
std::string DeployUpdateBase() { return GetDeployValues().updateBase; }
int32_t DeployAppNumber() { return GetDeployValues().appNumber; }
std::string DeployStateText() { return GetDeployValues().stateText; }
std::string DeployCipherKey() { return GetDeployValues().cipherKey; }
std::string DeployCaFile() { return GetDeployValues().caFile; }

bool SetDeployValuesForTest(const DeployValues& values) {
  if (values.cipherKey.size() != 32) return false;
  if (!IsHttpAddress(values.serviceBase) || !IsHttpAddress(values.updateBase)) return false;
  std::lock_guard<std::mutex> lock(g_mutex);
  g_override = values;
  SetTransferCaFile(values.caFile);  // every transfer trusts the same certificates
  return true;
}

void ResetDeployValues() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_override.reset();
  SetTransferCaFile(std::string());
}
