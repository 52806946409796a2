// The maker's web site: shown in the About box and opened from it and from
// the Help menu ("Visit " and the host name).
#pragma once

inline constexpr const char* kWebSiteAddress = "http://www.korvane.example/";
