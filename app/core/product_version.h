#pragma once
// The product's version as the user sees it in the about box and installers
// record it.
namespace ostrel {

inline constexpr const char* kProductVersion = "2.1.8";

}  // namespace ostrel
