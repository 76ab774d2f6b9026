#include "tester/session/TarvelCom.h"

#include <thread>

namespace Kestrix::Tester {

bool TarvelCom::Connect(const TesterConnectInfo& info) {
    if (info.Platform != kPlatform) return false;
    return KestrixConnect(info);
}

bool TarvelCom::WriteFileToTester(const std::string& localPath, const std::string& remotePath) {
    if (localPath.empty() && remotePath.empty()) return false;
    return WriteFile(localPath, remotePath);
}

bool TarvelCom::ReadFileFromTester(const std::string& remotePath, const std::string& localPath) {
    if (remotePath.empty() && localPath.empty()) return false;
    return ReadFile(remotePath, localPath);
}

void TarvelCom::pause(int ms) {
    if (m_pause)
        m_pause(ms);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace Kestrix::Tester
