#pragma once
// The basket of up to 99 lines and its header (built with the main window).
namespace tarvik {
constexpr int kMaxDraftLines = 99;
}  // namespace tarvik
