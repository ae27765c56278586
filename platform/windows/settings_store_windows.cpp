// The registry key HKEY_CURRENT_USER\SOFTWARE\TAV-quillmoor\TAVKST1: images as REG_BINARY,
// texts as REG_SZ in UTF-16 with their terminating NUL. The registry writes each value
// whole, so a reader never sees half of one.

#include "platform/settings_store.h"

#include "platform/utf8_text.h"
#include "platform/windows/wide_text.h"

#include <cstring>
#include <windows.h>

namespace kestro::platform {

namespace {

// The longest text value we take in at all, in bytes of UTF-16.
constexpr DWORD kLargestText = 64 * 1024;

std::wstring keyPath()
{
    return windows::widen(std::string("SOFTWARE\\") + kSettingsVendorKey + "\\" + kSettingsProductKey);
}

bool validName(const char* name)
{
    return name != nullptr && name[0] != '\0';
}

class Key {
public:
    // Opens the key, creating it when asked to, with the given access.
    Key(REGSAM access, bool create)
    {
        const std::wstring path = keyPath();
        const LSTATUS status =
            create ? ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                       access, nullptr, &key_, nullptr)
                   : ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, access, &key_);
        if (status != ERROR_SUCCESS)
            key_ = nullptr;
        missing_ = status == ERROR_FILE_NOT_FOUND;
    }
    ~Key()
    {
        if (key_ != nullptr)
            ::RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    HKEY handle() const { return key_; }
    bool missing() const { return missing_; }

private:
    HKEY key_ = nullptr;
    bool missing_ = false;
};

// The value's bytes and type when it exists and holds at most `largest` bytes. A value that
// grows between the size query and the read is asked for again.
std::optional<std::vector<std::uint8_t>> readValue(const char* name, std::size_t largest, DWORD& type)
{
    if (!validName(name))
        return std::nullopt;
    Key key(KEY_QUERY_VALUE, false);
    if (key.handle() == nullptr)
        return std::nullopt;
    const std::wstring valueName = windows::widen(name);
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        if (::RegQueryValueExW(key.handle(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            size > largest)
            return std::nullopt;
        std::vector<std::uint8_t> bytes(size);
        const LSTATUS status =
            ::RegQueryValueExW(key.handle(), valueName.c_str(), nullptr, &type, bytes.data(), &size);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            return std::nullopt;
        bytes.resize(size);
        return bytes;
    }
    return std::nullopt;
}

bool writeValue(const char* name, DWORD type, const void* data, std::size_t size)
{
    if (!validName(name) || (data == nullptr && size > 0) || size > MAXDWORD)
        return false;
    Key key(KEY_SET_VALUE, true);
    if (key.handle() == nullptr)
        return false;
    return ::RegSetValueExW(key.handle(), windows::widen(name).c_str(), 0, type,
                            static_cast<const BYTE*>(data), static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

} // namespace

bool writeBinarySetting(const char* name, const std::uint8_t* data, std::size_t size)
{
    return writeValue(name, REG_BINARY, data, size);
}

std::optional<std::vector<std::uint8_t>> readBinarySetting(const char* name, std::size_t largest)
{
    // Whatever type the value has, its bytes are handed on: the image checks decide.
    DWORD type = REG_NONE;
    return readValue(name, largest, type);
}

bool writeTextSetting(const char* name, std::string_view text)
{
    // The registry keeps a REG_SZ with its terminating NUL; a NUL inside ends the text.
    const std::wstring wide = windows::widen(text.substr(0, text.find('\0')));
    return writeValue(name, REG_SZ, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
}

std::optional<std::string> readTextSetting(const char* name, std::size_t maxBytes)
{
    DWORD type = REG_NONE;
    const auto bytes = readValue(name, kLargestText, type);
    if (!bytes || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    // A value written by other tools may lack its NUL or end in half a unit.
    std::wstring wide(bytes->size() / sizeof(wchar_t), L'\0');
    std::memcpy(wide.data(), bytes->data(), wide.size() * sizeof(wchar_t));
    if (const std::size_t end = wide.find(L'\0'); end != std::wstring::npos)
        wide.resize(end);
    if (type == REG_EXPAND_SZ) {
        const DWORD units = ::ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
        std::wstring expanded(units, L'\0');
        if (units > 0 && ::ExpandEnvironmentStringsW(wide.c_str(), expanded.data(), units) == units) {
            expanded.resize(units - 1);
            wide = expanded;
        }
    }
    std::string text = windows::narrow(wide);
    text.resize(utf8PrefixLength(text, maxBytes));
    return text;
}

bool removeSetting(const char* name)
{
    if (!validName(name))
        return false;
    Key key(KEY_SET_VALUE, false);
    if (key.handle() == nullptr)
        return key.missing();
    const LSTATUS status = ::RegDeleteValueW(key.handle(), windows::widen(name).c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

} // namespace kestro::platform
