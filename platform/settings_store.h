#pragma once
// The per-user settings of the preset system: stored defaults, memos, remembered file
// locations and the manual's path, shared by every instance of the same user. Windows
// keeps them in the registry, Linux in one file per value; callers see only named values.
//
// All operations run on the host's user-interface thread. Failures are results: a missing
// store, value or permission simply reads as "nothing there" or returns false.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::platform {

inline constexpr const char* kSettingsVendorKey = "TAV-quillmoor";
inline constexpr const char* kSettingsProductKey = "TAVKST1";

// Value names, identical on every platform.
inline constexpr const char* kDefaultBankValue = "DefaultBank";
inline constexpr const char* kDefaultPresetValue = "DefaultPreset";
inline constexpr const char* kMemoAValue = "MemoA";
inline constexpr const char* kMemoBValue = "MemoB";
inline constexpr const char* kCurrentDirectoryValue = "CurrDir";
inline constexpr const char* kCurrentBankValue = "CurrBank";
inline constexpr const char* kCurrentPresetValue = "CurrPreset";
inline constexpr const char* kManualPathValue = "ManualPath";

// Binary values hold bytes as given; a value longer than `largest` is not read at all.
bool writeBinarySetting(const char* name, const std::uint8_t* data, std::size_t size);
std::optional<std::vector<std::uint8_t>> readBinarySetting(const char* name, std::size_t largest);

// Text values are UTF-8 here; at most `maxBytes` bytes come back, never a cut character.
bool writeTextSetting(const char* name, std::string_view text);
std::optional<std::string> readTextSetting(const char* name, std::size_t maxBytes);

// True when the value is gone afterwards (also when it never existed).
bool removeSetting(const char* name);

} // namespace kestro::platform
