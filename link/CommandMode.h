#pragma once

// The values of LinkState::CommandMode: which reply the receive dispatcher expects. It keeps the value of
// the last command sent.
namespace CommandModes {
constexpr int Download = 0;
constexpr int LogCount = 1;
} // namespace CommandModes
