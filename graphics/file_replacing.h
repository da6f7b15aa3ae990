// Writing a file whole: the bytes go to a new file beside the target, which then takes the
// target's place in one step, so that no reader ever sees half a file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Slate {

// Without the "\\?\" prefix Windows refuses a path of MAX_PATH characters or more ("Maximum
// Path Length Limitation"); Wine takes longer ones, so the rule is applied here.
bool tooLong(const std::wstring& path);

// Writes bytes to a new file in folder (full's folder, ending in a separator) and puts it in
// full's place, keeping an existing file's attributes, security and creation time. On any
// failure the new file is deleted, full is as it was, and the reason is reported for call.
bool writeReplacing(const wchar_t* call, const std::wstring& full, const std::wstring& folder,
                    const std::vector<std::uint8_t>& bytes);

}  // namespace Slate
