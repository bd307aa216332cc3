// Deployment values: the addresses of the racing web service and of the update
// store, the application number, the State text and the key of the login
// cipher. They are fixed when the program is built; tests point them at a
// service of their own through SetDeployValuesForTest.
#pragma once

#include <cstdint>
#include <string>

struct DeployValues {
  std::string serviceBase;  // scheme and host of the web service, no trailing slash
  std::string updateBase;   // folder of the update files, no trailing slash
  int32_t appNumber = 0;    // six-digit application number
  std::string stateText;    // State of every request but the login
  std::string cipherKey;    // 32 ASCII characters, the AES-256 key of the login cipher
  std::string caFile;       // extra trusted CA certificates (PEM); empty = the system's store
};

// The values in force (a copy; safe from any thread).
DeployValues GetDeployValues();
std::string DeployServiceBase();
std::string DeployUpdateBase();
int32_t DeployAppNumber();
std::string DeployStateText();
std::string DeployCipherKey();
std::string DeployCaFile();

// The values the program was built with.
DeployValues BuiltInDeployValues();

// Test hook: replaces the values in force. Refused (false, nothing changed)
// when the key is not 32 characters or an address is not http or https.
bool SetDeployValuesForTest(const DeployValues& values);
// Test hook: back to the built-in values.
void ResetDeployValues();
