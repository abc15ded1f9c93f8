#pragma once

namespace platform {
// Whether the program runs under Wine, which carries out some calls
// differently from Windows (told once, by ntdll's own export).
bool running_under_wine();
}  // namespace platform
