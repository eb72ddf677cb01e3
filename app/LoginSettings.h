#pragma once
// What the login dialog keeps in "run.ini": the user's name and password
// ("UserInfo"), whether the password is kept and whether the install notice
// was sent ("Global"), and the quote-server list ("LiveServer"), with the two
// service calls that fill the last two.
#include <string>
#include <vector>

#include "app/LoginRequest.h"
#include "app/ServiceDownload.h"

class CIni;

// The saved name and password; true when either is not empty. The name is
// base64; the password is sealed ("v2:") or, from an older file, plain
// base64. A value that does not decode reads as empty.
bool LoadUserInfo(const CIni& ini, std::string& name, std::string& password);
// The name (when not empty) as base64; the password (when not empty) sealed
// when savePassword is set, else an empty "PassWd". False when a write failed.
bool SaveUserInfo(CIni& ini, const std::string& name, const std::string& password, bool savePassword);

// "SavePassWd": false only for exactly "false", so a missing key keeps the password.
bool LoadSavePasswordFlag(const CIni& ini);
bool SaveSavePasswordFlag(CIni& ini, bool save);

// Once per installation: when "InstallFlag" is empty, tells the service
// ("zentu/live/install.php?p=5&f=0", answer ignored) and writes the program's
// version there. True when the notice was sent now.
bool ReportInstall(CIni& ini, const ServiceFetcher& fetch, const std::string& base);

// Downloads the server list ("zentu/live/hq_server.php") into "LiveServer"
// under "0", "1", ...; keys beyond the new count stay. False when the
// download failed (the stored list stays).
bool FetchLiveServers(CIni& ini, const ServiceFetcher& fetch, const std::string& base);

// The stored list: keys "0" to "255", entries without a comma skipped, gaps allowed.
std::vector<LiveServer> LoadLiveServers(const CIni& ini);
