// One file per value under $XDG_CONFIG_HOME/TAV-quillmoor/TAVKST1/ ($HOME/.config when the
// variable is unset), named exactly as the registry value on Windows.

#include "platform/settings_store.h"

#include "platform/atomic_file.h"
#include "platform/utf8_text.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace kestro::platform {

namespace {

// The longest text value we take in at all; longer files are not ours.
constexpr std::size_t kLargestText = 64 * 1024;

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
    return base + "/" + kSettingsVendorKey + "/" + kSettingsProductKey;
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
    const std::string path = valuePath(name);
    if (path.empty())
        return std::nullopt;
    return readWholeFile(path, largest);
}

bool writeTextSetting(const char* name, std::string_view text)
{
    return writeValue(name, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

std::optional<std::string> readTextSetting(const char* name, std::size_t maxBytes)
{
    const std::string path = valuePath(name);
    if (path.empty())
        return std::nullopt;
    const auto bytes = readWholeFile(path, kLargestText);
    if (!bytes)
        return std::nullopt;
    std::string text(bytes->begin(), bytes->end());
    // A terminating zero, as the registry keeps it, ends the text.
    const std::size_t zero = text.find('\0');
    if (zero != std::string::npos)
        text.resize(zero);
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
