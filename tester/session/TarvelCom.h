#pragma once
// The host's tester object for this family. This part forwards to the session; import, setups and
// maintenance build on it.
#include "tester/session/KestrixCom.h"

namespace Kestrix::Tester {

class TarvelCom : public KestrixCom {
public:
    using KestrixCom::KestrixCom;

    // Connects only to testers of this family (platform 11).
    bool Connect(const TesterConnectInfo& info);
    // Asks the connection (reconnecting when it dropped), unlike KestrixCom::IsConnected.
    bool IsConnected() { return CheckConnect(true); }
    bool LockScreen(bool lock) { return KestrixLockScreen(lock); }
    boost::optional<std::string> SendCommand(const std::string& cmd) { return SendTvixCmd(cmd); }
    boost::optional<std::string> SendCommand2(const std::string&) { return boost::none; }
    boost::optional<std::vector<dirEntry>> Dir(const std::string& folder) { return DirList(folder); }
    bool DeleteFile(const std::string& path) { return DelFile(path); }
    bool Mkdir(const std::string& path) { return !path.empty() && MkDir(path); }
    bool WriteFileToTester(const std::string& localPath, const std::string& remotePath);
    bool ReadFileFromTester(const std::string& remotePath, const std::string& localPath);
    void CloseImport() { Close(); }
    void Disconnect() {}
    void SetSerial(const std::string&) {}
    bool SerialPortTest() { return false; }

    TarvelCom* GetImporter() { return this; }
    TarvelCom* GetTesterUtilities() { return this; }
    TarvelCom* GetProjectSetupInterface() { return this; }
};

}  // namespace Kestrix::Tester
