// Where the keyboard focus goes in a program's windows, as users of desktop forms expect:
// - an edit box that gets the focus from the program (a handler shows and focuses it) or by
//   Tab has its whole text selected, so that typing replaces the value shown; a mouse click
//   places the cursor as usual;
// - a control that is hidden while it holds the focus of its window (a panel closed by its
//   own button, a box hidden after Enter) gives the focus to the window itself, whose key
//   handlers then see every key again;
// - a tool window hidden while it is the active window gives the activation back to the
//   window it belongs to.
#pragma once

namespace vk7 {

// Puts the rules in force for every window of the application; further calls do nothing.
// The windows that handle keys install them when they are created.
void installFocusRules();

}  // namespace vk7
