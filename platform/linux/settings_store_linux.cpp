// One file per value under $XDG_CONFIG_HOME/TAV-quillmoor/TAVKST1/ ($HOME/.config when the
// variable is unset), named exactly as the registry value on Windows. A value the user has
// not set is looked up in the same folder below each system directory of $XDG_CONFIG_DIRS
// (/etc/xdg when unset), so a system-wide install can provide "ManualPath"; writes and
// removals only ever touch the user's own folder.

#include "platform/settings_store.h"

#include "platform/atomic_file.h"
#include "platform/utf8_text.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kestro::platform {

namespace {

// The longest text value we take in at all; longer files are not ours.
constexpr std::size_t kLargestText = 64 * 1024;

std::string productFolder()
{
    return std::string("/") + kSettingsVendorKey + "/" + kSettingsProductKey;
}

std::string storeDirectory()
{
    std::string base;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] != '/')
            return {};
        base = std::string(home) + "/.config";
    }
    return base + productFolder();
}

// The system folders in their order of preference; relative entries are ignored, as the
// base directory rules ask.
std::vector<std::string> systemDirectories()
{
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    const std::string list = dirs != nullptr && dirs[0] != '\0' ? dirs : "/etc/xdg";
    std::vector<std::string> result;
    std::size_t begin = 0;
    while (begin <= list.size()) {
        std::size_t end = list.find(':', begin);
        if (end == std::string::npos)
            end = list.size();
        const std::string entry = list.substr(begin, end - begin);
        if (!entry.empty() && entry[0] == '/')
            result.push_back(entry + productFolder());
        begin = end + 1;
    }
    return result;
}

bool validName(const char* name)
{
    return name != nullptr && name[0] != '\0' && name[0] != '.' && std::strchr(name, '/') == nullptr;
}

std::string valuePath(const char* name)
{
    if (!validName(name))
        return {};
    const std::string directory = storeDirectory();
    return directory.empty() ? std::string() : directory + "/" + name;
}

bool exists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 || (errno != ENOENT && errno != ENOTDIR);
}

// The user's value when there is one (even one that cannot be read: the user has set it),
// else the first system directory's.
std::optional<std::vector<std::uint8_t>> readValue(const char* name, std::size_t largest)
{
    if (!validName(name))
        return std::nullopt;
    const std::string path = valuePath(name);
    if (!path.empty() && exists(path))
        return readWholeFile(path, largest);
    for (const std::string& directory : systemDirectories()) {
        const std::string systemPath = directory + "/" + name;
        if (exists(systemPath))
            return readWholeFile(systemPath, largest);
    }
    return std::nullopt;
}

bool makeDirectories(const std::string& path)
{
    for (std::size_t at = path.find('/', 1);; at = path.find('/', at + 1)) {
        const std::string part = at == std::string::npos ? path : path.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (at == std::string::npos)
            return true;
    }
}

bool writeValue(const char* name, const std::uint8_t* data, std::size_t size)
{
    const std::string path = valuePath(name);
    if (path.empty() || !makeDirectories(storeDirectory()))
        return false;
    return writeFileAtomically(path, data, size);
}

} // namespace

bool writeBinarySetting(const char* name, const std::uint8_t* data, std::size_t size)
{
    return writeValue(name, data, size);
}

std::optional<std::vector<std::uint8_t>> readBinarySetting(const char* name, std::size_t largest)
{
    return readValue(name, largest);
}

bool writeTextSetting(const char* name, std::string_view text)
{
    return writeValue(name, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

std::optional<std::string> readTextSetting(const char* name, std::size_t maxBytes)
{
    const auto bytes = readValue(name, kLargestText);
    if (!bytes)
        return std::nullopt;
    std::string text(bytes->begin(), bytes->end());
    // A terminating zero, as the registry keeps it, ends the text.
    const std::size_t zero = text.find('\0');
    if (zero != std::string::npos)
        text.resize(zero);
    // So does the line end a text editor leaves when an administrator writes a value by hand.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    text.resize(utf8PrefixLength(text, maxBytes));
    return text;
}

bool removeSetting(const char* name)
{
    const std::string path = valuePath(name);
    if (path.empty())
        return false;
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

} // namespace kestro::platform
