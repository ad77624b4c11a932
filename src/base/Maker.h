// The maker's addresses: the one web site and e-mail address that the
// builder's About box, Home Page, Email and help fallback and a built
// saver's "Powered by" link all name. Change them here, nowhere else.
#pragma once

namespace vanta {

inline constexpr const char* kMakerWebsite = "https://vanta.example.org/";
inline constexpr const char* kMakerEmail = "builder@vanta.example.org";

}  // namespace vanta
