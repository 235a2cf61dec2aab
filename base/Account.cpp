#include "base/Account.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

std::string AccountName() {
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found) {
        const std::string gecos = found->pw_gecos ? found->pw_gecos : "";
        const std::string full = gecos.substr(0, gecos.find(','));
        if (!full.empty()) return full;
        if (found->pw_name && *found->pw_name) return found->pw_name;
    }
    const char* user = std::getenv("USER");
    return user ? user : "";
}
