// Whether the system supports right-to-left layout (an Arabic or Hebrew system): only there
// do controls honour a right-to-left BiDiMode. Tests replace the answer to lay controls out
// right to left on any system.
#pragma once
#include <optional>

bool SysMiddleEast();
// value replaces the system's answer; std::nullopt asks the system again.
void SetSysMiddleEast(std::optional<bool> value);
