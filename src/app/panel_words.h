#pragma once

// The room speaks Indonesian, and Qt's file panel brings only its English words: the labels,
// buttons, tool tips, column heads, sidebar and questions of that panel, in the room's words.
namespace PanelWords {
// Once per application, before a panel is built (a panel built earlier takes them too).
void install();
} // namespace PanelWords
