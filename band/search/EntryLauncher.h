#pragma once
// The one place that starts an index entry, whatever its form (kestentry/EntryForms.h):
// a shortcut's target or a packaged app through the shell with the verb asked for, a
// Settings page through the shell, a Control Panel item as its source starts it, a system
// command through SystemCalls after asking where it asks. The typed text never comes
// here: a typed "kestrune:lock" is only ever handed to the shell, which knows no such thing.
#include "kestentry/ShortcutEntry.h"
#include <windows.h>

namespace kest {

enum class LaunchOutcome {
    Started,   // counted as a launch; the box is emptied
    Declined,  // the user answered No: nothing started or counted, the box is emptied
    Refused,   // the verb does not apply to the entry: the refusal sound played
    Failed,    // the system did not start it: the text stays
};

// Starts entry with verb (null: the default verb; "runas" from Ctrl+Shift+Enter). owner
// (the bar) owns the question asked first and the shell's own confirmations.
LaunchOutcome launchEntry(const ShortcutEntry& entry, const wchar_t* verb, HWND owner);

}  // namespace kest
