#pragma once

/// The text console a command-line program runs in.
namespace Terminal {
/// Whether standard error goes to a terminal, where a progress line can be redrawn in place.
[[nodiscard]] bool isStandardErrorTerminal();
} // namespace Terminal
